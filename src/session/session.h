#pragma once
// The logged-in user: the login fills one value from the row it matched, the main window keeps it
// and gives it to the windows that act for the user, as it gives them the connection. It does not
// change for the rest of the run. The interface language is not part of it: the language in effect
// is the language manager's, and the language command's choice is a setting for the next start.

#include <QString>

struct Session {
    QString account;        ///< users.uid, as read back
    int key = 0;            ///< users.upkey of the row the login matched (the account's own row); 0 before login
    QString name;           ///< display name
    bool isAdmin = false;   ///< users.isadmin is non-zero
    bool watermark = false; ///< the company marks its videos (corp.watermark is 1); false without a corp row
};
