#include "rynconst.h"

QString UID;
int UPKEY = 0;
QString UNAME;
qint16 ISADMIN = 0;
qint16 WATERMARK = 0;
QString UILANGUAGE;

void resetLoggedInUser()
{
    UID.clear();
    UPKEY = 0;
    UNAME.clear();
    ISADMIN = 0;
    WATERMARK = 0;
    UILANGUAGE.clear();
}
