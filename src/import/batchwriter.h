#pragma once
// Writes the rows of a checked file in one transaction, in batches of multi-row INSERTs with bound
// values: all of them or, after a cancel, a refusal or a lost connection, none. A top-up's rows
// each get an exactly-once token in booking_token, written in the same transaction. When the
// reply to COMMIT is lost the outcome is looked up (the last row's key or token) before anything
// is said, and nothing is ever sent twice.

#include "importcheck.h"

class Connection;

namespace Import {
/// Rows per INSERT statement.
constexpr int BatchRows = 1000;

struct Written {
    qint64 rows = 0;
    QVariant firstKey;      ///< the key of the first row written (spkey, crpkey or scpkey)
    bool cancelled = false; ///< stopped by progress() returning false; nothing is kept
    bool afterLoss = false; ///< the COMMIT's reply was lost and the rows were found stored
};

/// progress(rows written so far) returns false to cancel. Throws DbError (the transaction rolled
/// back, or an outcome that could not be learnt, said in the text) or AppError (the file).
Written writeRows(Connection* connection, const Preview& preview, const Rules& rules, const Stored& stored,
                  const std::function<bool(qint64)>& progress);
} // namespace Import
