#pragma once

/// How a save of a new row ended when it followed an insert whose outcome was uncertain (the
/// connection broke after the INSERT may have reached the server). Such a save first looks on the
/// server for the row: when it is there, it is taken into the snapshot and nothing is sent again
/// (FoundStored); otherwise the row is inserted (NowStored). The statement itself is never sent
/// twice blindly. A save that followed no such insert, or of a table without a key field, is None.
enum class InsertRecheck { None, FoundStored, NowStored };
