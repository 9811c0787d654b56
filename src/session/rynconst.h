#pragma once
// The logged-in user: set by a successful login and read by the other windows for the rest of
// the run (UILANGUAGE is also written by the language command).

#include <QString>

extern QString UID;        ///< account name, as read back from users.uid
extern int UPKEY;          ///< users.upkey of the row the login matched (the account's own row); 0 before login
extern QString UNAME;      ///< display name
extern qint16 ISADMIN;     ///< non-zero for an administrator
extern qint16 WATERMARK;   ///< the company's watermark flag (corp.watermark); 0 without a corp row
extern QString UILANGUAGE; ///< "tw" or "cn" once the language command has run

/// Back to the state before login (tests only: the program logs in once per run).
void resetLoggedInUser();
