# shellcheck shell=bash disable=SC2034,SC2154  # variables shared with scripts/sandbox
# A Galera cluster for scripts/sandbox (sourced by it): N MariaDB nodes on loopback ports, node I with
# its pid file, port and log in DIR/nodeI and its data directory and socket in DIR/data/nodeI, full
# state transfers by rsync. The
# schema and the demo data are loaded once, into node 1, and reach the others by state transfer.
#
# Ports: one block of free ports per start of the whole cluster, its first port in DIR/ports; node I
# takes first + 4(I-1) for clients, the next three for group communication, incremental and full
# state transfers. A node started again alone keeps its ports, so DIR/env stays true.
#
# Like the single server, the nodes never run as root (the rsync daemon of a node running as root
# drops to `nobody` and could not write the joining node's data anyway).

GALERA_PROVIDER=""
for f in /usr/lib/galera/libgalera_smm.so /usr/lib/libgalera_smm.so /usr/lib64/galera-4/libgalera_smm.so \
  /usr/lib/x86_64-linux-gnu/galera/libgalera_smm.so; do
  [ -f "$f" ] && { GALERA_PROVIDER="$f"; break; }
done

node_dir() { echo "$dir/node$1"; }
node_port() { echo $(($(cat "$dir/ports") + 4 * ($1 - 1) + ${2:-0})); } # node, 0 clients .. 3 full transfers
cluster_size() { cat "$dir/nodes"; }
cluster_ports() {
  local i ports=()
  for ((i = 1; i <= $(cluster_size); i++)); do ports+=("$(node_port "$i")"); done
  echo "${ports[*]}"
}

start_node() { # node, more server options
  local i="$1" address=() j
  shift
  for ((j = 1; j <= $(cluster_size); j++)); do address+=("127.0.0.1:$(node_port "$j" 1)"); done
  start_server "$(node_dir "$i")" "$(node_port "$i")" --innodb-buffer-pool-size=128M --innodb-log-file-size=16M \
    --wsrep-on=ON --wsrep-provider="$GALERA_PROVIDER" --wsrep-cluster-name=ryn-sandbox \
    --wsrep-cluster-address="gcomm://$(IFS=,; echo "${address[*]}")" \
    --wsrep-node-name="node$i" --wsrep-node-address="127.0.0.1:$(node_port "$i" 1)" \
    --wsrep-node-incoming-address="127.0.0.1:$(node_port "$i")" \
    --wsrep-provider-options="gmcast.listen_addr=tcp://127.0.0.1:$(node_port "$i" 1);ist.recv_addr=127.0.0.1:$(node_port "$i" 2);gcache.size=64M" \
    --wsrep-sst-receive-address="127.0.0.1:$(node_port "$i" 3)" --wsrep-sst-method=rsync \
    --binlog-format=ROW --innodb-autoinc-lock-mode=2 --default-storage-engine=InnoDB "$@"
  echo "$log_offset" >"$(node_dir "$i")/log.offset"
}

node_status() { # node, status variable: its value, empty while the node does not answer
  sql_at "$(node_dir "$1")" --connect-timeout=2 -N -B -e "SHOW STATUS LIKE '$2'" 2>/dev/null | cut -f2
}

wait_synced() { # node, seconds: until it has joined and caught up; fail_db when it died or the time ran out
  local nd end=$((SECONDS + $2))
  nd="$(node_dir "$1")"
  while [ "$SECONDS" -lt "$end" ]; do
    db_pid "$nd" >/dev/null || break
    [ "$(node_status "$1" wsrep_local_state_comment)" = Synced ] && return 0
    sleep 0.5
  done
  log_offset="$(cat "$nd/log.offset" 2>/dev/null || echo 0)"
  fail_db "$nd" "node $1 did not join the cluster"
}

wait_cluster() { # node, size, seconds: until that node sees a cluster of that size
  local end=$((SECONDS + $3))
  while [ "$SECONDS" -lt "$end" ]; do
    [ "$(node_status "$1" wsrep_cluster_size)" = "$2" ] && return 0
    sleep 0.5
  done
  echo "scripts/sandbox: node $1 does not see $2 nodes (wsrep_cluster_size $(node_status "$1" wsrep_cluster_size))" >&2
  exit 1
}

bootstrap_node() { # of a stopped cluster: the node stopped last (safe_to_bootstrap), else the one furthest on
  local i best=1 seqno top_seqno=-2 state
  for ((i = 1; i <= $(cluster_size); i++)); do
    state="$(srv "$(node_dir "$i")")/db/grastate.dat"
    [ -f "$state" ] || continue
    grep -q '^safe_to_bootstrap: *1' "$state" && { echo "$i"; return; }
    seqno="$(sed -n 's/^seqno: *//p' "$state")"
    [[ "$seqno" =~ ^-?[0-9]+$ ]] && [ "$seqno" -gt "$top_seqno" ] && { top_seqno="$seqno"; best="$i"; }
  done
  echo "$best"
}

start_bootstrap() { # node: starts a new cluster from it (of a cluster set up before)
  local state
  state="$(srv "$(node_dir "$1")")/db/grastate.dat"
  # Written in place, so that the file keeps its owner.
  [ ! -f "$state" ] || sed 's/^safe_to_bootstrap: *0/safe_to_bootstrap: 1/' "$state" >"$state.new"
  [ ! -f "$state.new" ] || { cat "$state.new" >"$state"; rm -f "$state.new"; }
  start_node "$1" --wsrep-new-cluster
  wait_synced "$1" 120
}

set_up_cluster() { # nodes
  local i
  wipe
  [ -n "$GALERA_PROVIDER" ] || { echo "scripts/sandbox: no Galera library; scripts/deps installs galera-4" >&2; exit 1; }
  command -v rsync >/dev/null || { echo "scripts/sandbox: rsync is missing; scripts/deps installs it" >&2; exit 1; }
  echo "$1" >"$dir/nodes"
  free_port >"$dir/ports"
  for ((i = 2; i <= $1; i++)); do make_server_folder "$(node_dir "$i")"; done
  install_db "$(node_dir 1)"
  start_node 1 --wsrep-new-cluster
  wait_ping "$(node_dir 1)" 60 || fail_db "$(node_dir 1)" "the first node did not start"
  set_up_accounts "$(node_dir 1)"
  load_demo "$(node_dir 1)"
  # The other nodes start empty and receive everything by state transfer.
  for ((i = 2; i <= $1; i++)); do start_node "$i"; done
  for ((i = 2; i <= $1; i++)); do wait_synced "$i" 180; done
  wait_cluster 1 "$1" 60
  touch "$dir/setup.done"
  setting_up=0
}

start_cluster() { # nodes
  local i first="" n="$1"
  if [ ! -f "$dir/setup.done" ]; then
    set_up_cluster "$n"
  else
    for ((i = 1; i <= n; i++)); do db_pid "$(node_dir "$i")" >/dev/null && first="$i"; done
    if [ -z "$first" ]; then
      free_port >"$dir/ports"
      first="$(bootstrap_node)"
      start_bootstrap "$first"
    fi
    for ((i = 1; i <= n; i++)); do db_pid "$(node_dir "$i")" >/dev/null || start_node "$i"; done
    for ((i = 1; i <= n; i++)); do wait_synced "$i" 180; done
    wait_cluster "$first" "$n" 60
  fi
  for ((i = 1; i <= n; i++)); do check_answers "$(node_dir "$i")"; done
}

start_node_again() { # node: back into the running cluster, or a new cluster from it when no node runs
  local i others=0
  if db_pid "$(node_dir "$1")" >/dev/null; then return 0; fi
  for ((i = 1; i <= $(cluster_size); i++)); do db_pid "$(node_dir "$i")" >/dev/null && others=$((others + 1)); done
  if [ "$others" -eq 0 ]; then
    start_bootstrap "$1"
  else
    start_node "$1"
    wait_synced "$1" 180
    wait_cluster "$1" $((others + 1)) 60
  fi
  check_answers "$(node_dir "$1")"
}
