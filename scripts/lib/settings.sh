# shellcheck shell=bash
# The program's settings file (ryn.ini) as provisioning writes it: the section [Server] with Host,
# DbPort and FtpPort set, every other line kept byte for byte. Sections and keys are found as the
# program finds them: a line that, trimmed, starts with [ and ends with ] is a section whose name is
# what lies between, trimmed, in any letter case; a key is what lies before the first =, trimmed, in
# any letter case; the first value in any [Server] section counts.

settings_trim() { # variable, text: the text without leading and trailing white space (a line end's \r too)
  local v="$2"
  v="${v#"${v%%[![:space:]]*}"}"
  printf -v "$1" '%s' "${v%"${v##*[![:space:]]}"}"
}

settings_text() { # file (may be missing), address, database port, FTP port: the new text
  local line t key section="" written=0 eol=""
  local ours=("Host=$2" "DbPort=$3" "FtpPort=$4")
  if [ -f "$1" ]; then
    IFS= read -r line <"$1" || true
    [[ "$line" != *$'\r' ]] || eol=$'\r' # lines added end as the file's first one does
    while IFS= read -r line || [ -n "$line" ]; do
      settings_trim t "$line"
      if [[ "$t" == \[*\] ]]; then
        settings_trim section "${t:1:${#t}-2}"
        section="${section,,}"
        printf '%s\n' "$line"
        if [ "$section" = server ] && [ "$written" = 0 ]; then
          printf "%s$eol\n" "${ours[@]}"
          written=1
        fi
        continue
      fi
      settings_trim key "${line%%=*}"
      [ "$section" = server ] && [[ "$line" == *=* ]] && [[ "${key,,}" =~ ^(host|dbport|ftpport)$ ]] ||
        printf '%s\n' "$line"
    done <"$1"
  fi
  [ "$written" = 1 ] || printf "%s$eol\n" "[Server]" "${ours[@]}"
}

settings_target() { # file, follow links (0 or 1): the file to write, or a complaint on standard error
  local target="$1"
  if [ -L "$target" ]; then
    if [ "$2" != 1 ]; then
      echo "$target is a symbolic link (to $(readlink -- "$target")); --follow-links writes into the file it names" >&2
      return 1
    fi
    target="$(readlink -f -- "$target")" || { echo "$1 names no file that can be reached" >&2; return 1; }
  fi
  if [ -e "$target" ] && [ ! -f "$target" ]; then
    echo "$target is not a regular file" >&2
    return 1
  fi
  printf '%s\n' "$target"
}

settings_tmp=""
settings_install() { # text file, target: a new file beside the target, renamed over it once whole
  local folder base
  folder="$(dirname -- "$2")"
  base="$(basename -- "$2")"
  settings_tmp="$(mktemp -- "$folder/.$base.XXXXXX")" || return 1
  cat -- "$1" >"$settings_tmp" || return 1
  if [ -e "$2" ]; then
    # The old file's mode, and its owner where we may give it.
    chmod --reference="$2" -- "$settings_tmp" || return 1
    chown --reference="$2" -- "$settings_tmp" 2>/dev/null || true
  else
    chmod "$(printf '%o' $((0666 & ~$(umask))))" -- "$settings_tmp" || return 1
  fi
  sync -- "$settings_tmp" || return 1
  # -T: whatever the name holds by now (a link, a folder) is replaced or refused, never entered.
  mv -fT -- "$settings_tmp" "$2" || return 1
  settings_tmp=""
}
