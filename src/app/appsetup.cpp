#include "appsetup.h"

#include <QApplication>
#include <QFont>

void setUpApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ryn"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RYN_VERSION));
    // The interface font is the Windows Ming face; on Linux the Arphic Ming faces stand in for it.
    const QString ming = QStringLiteral("新細明體");
    QFont::insertSubstitutions(ming, {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing CN"),
                                      QStringLiteral("AR PL UMing HK"), QStringLiteral("Noto Serif CJK TC")});
    QFont font(ming);
    font.setPixelSize(16);
    QApplication::setFont(font);
}
