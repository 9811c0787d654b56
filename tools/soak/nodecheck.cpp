#include "nodecheck.h"

#include "data/connection.h"
#include "data/dberror.h"
#include "platform/serversettings.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QTextStream>
#include <cstdio>

namespace {
// What one node holds: each table's rows as text, and how many rows hold each booking's and
// each class's values.
struct NodeRows {
    QHash<QString, QSet<QString>> tables;
    QHash<QString, int> bookings;
    QHash<QString, int> classes;
};

const char* const kTables[][2] = {
    {"studclass", "CONCAT_WS('|', scpkey, buydate, spkey, crpkey, watchpoint, uid)"},
    {"classroom", "CONCAT_WS('|', crpkey, classname, teacher, classpoint, videopoint)"},
    {"stud", "CONCAT_WS('|', spkey, studname, studpwd)"},
    {"booking_token", "CONCAT_WS('|', HEX(token), scpkey)"},
    {"insert_token", "CONCAT_WS('|', HEX(token), rowkey)"},
};

NodeRows readNode(int port)
{
    qputenv("RYN_SERVER", "127.0.0.1");
    qputenv("RYN_DB_PORT", QByteArray::number(port));
    Connection connection;
    connection.setConnectionString(programConnectionString());
    connection.open();
    QSqlQuery q(connection.database());
    // Reads wait until the node has applied everything the cluster committed before them.
    if (!q.exec(QStringLiteral("SET SESSION wsrep_sync_wait = 1")))
        throw connection.failure(q.lastError());
    NodeRows rows;
    for (const auto& t : kTables) {
        if (!q.exec(QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(t[1]), QLatin1String(t[0]))))
            throw connection.failure(q.lastError());
        QSet<QString>& set = rows.tables[QLatin1String(t[0])];
        while (q.next()) {
            const QString row = q.value(0).toString();
            if (set.contains(row))
                std::printf("node on port %d: table %s holds the row %s twice\n", port, t[0], qPrintable(row));
            set.insert(row);
        }
    }
    if (!q.exec(QStringLiteral("SELECT CONCAT(spkey, '/', watchpoint) FROM studclass WHERE uid = 'soak'")))
        throw connection.failure(q.lastError());
    while (q.next())
        ++rows.bookings[q.value(0).toString()];
    if (!q.exec(QStringLiteral("SELECT classname FROM classroom WHERE classname LIKE 'K%'")))
        throw connection.failure(q.lastError());
    while (q.next())
        ++rows.classes[q.value(0).toString()];
    return rows;
}
} // namespace

int checkNodes(const std::vector<int>& nodePorts, const QString& ledgerPath)
{
    QFile file(ledgerPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "soak: cannot read %s\n", qPrintable(ledgerPath));
        return 1;
    }
    struct Saved {
        char kind;
        QString key;
        bool stored; ///< acknowledged, or resolved as stored
    };
    std::vector<Saved> saved;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        if (f.size() == 3)
            saved.push_back({f[0].at(0).toLatin1(), f[1], f[2] != QLatin1String("unresolved")});
    }

    std::vector<NodeRows> nodes;
    for (const int port : nodePorts) {
        try {
            nodes.push_back(readNode(port));
        } catch (const DbError& e) {
            std::printf("node on port %d cannot be read: %s\n", port, qPrintable(e.message()));
            return 1;
        }
    }

    long long missing = 0;
    long long duplicates = 0;
    long long differing = 0;
    long long storedBookings = 0;
    long long storedClasses = 0;
    for (size_t n = 0; n < nodes.size(); ++n) {
        // For each stored save: how many rows hold its values on this node (0, 1, more).
        long long holds[2][3] = {};
        for (const Saved& s : saved) {
            const QHash<QString, int>& counted = s.kind == 'B' ? nodes[n].bookings : nodes[n].classes;
            const int rows = counted.value(s.key);
            if (s.stored)
                ++holds[s.kind == 'B' ? 0 : 1][std::min(rows, 2)];
            if (s.stored && rows == 0)
                ++missing;
        }
        for (const QHash<QString, int>* counted : {&nodes[n].bookings, &nodes[n].classes}) {
            for (auto it = counted->begin(); it != counted->end(); ++it)
                duplicates += it.value() > 1 ? it.value() - 1 : 0;
        }
        if (n == 0) {
            storedBookings = holds[0][0] + holds[0][1] + holds[0][2];
            storedClasses = holds[1][0] + holds[1][1] + holds[1][2];
        }
        std::printf("node %zu (port %d): stored bookings held by 0 / 1 / more rows: %lld / %lld / %lld; "
                    "classes: %lld / %lld / %lld; studclass rows %lld\n",
                    n + 1, nodePorts[n], holds[0][0], holds[0][1], holds[0][2], holds[1][0], holds[1][1], holds[1][2],
                    static_cast<long long>(nodes[n].tables.value(QStringLiteral("studclass")).size()));
    }
    for (size_t n = 1; n < nodes.size(); ++n) {
        for (const auto& t : kTables) {
            const QString name = QLatin1String(t[0]);
            const QSet<QString>& a = nodes[0].tables[name];
            const QSet<QString>& b = nodes[n].tables[name];
            const long long onlyFirst = QSet<QString>(a).subtract(b).size();
            const long long onlyOther = QSet<QString>(b).subtract(a).size();
            if (onlyFirst + onlyOther > 0)
                std::printf("%s: %lld rows only on node 1, %lld only on node %zu\n", t[0], onlyFirst, onlyOther, n + 1);
            differing += onlyFirst + onlyOther;
        }
    }
    std::printf("stored saves checked: %lld bookings, %lld classes, on %zu nodes\n", storedBookings, storedClasses,
                nodes.size());
    std::printf("duplicates: %lld\nmissing: %lld\ndiffering rows between nodes: %lld\n", duplicates, missing,
                differing);
    return duplicates == 0 && missing == 0 && differing == 0 ? 0 : 1;
}
