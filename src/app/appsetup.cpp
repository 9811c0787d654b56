#include "appsetup.h"

#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QWidget>

namespace {
// The style marks a focused button or check box only in a window through which Tab has moved the
// focus; a check box clicked, or reached by the Enter rule, would show nothing. Every window is
// marked so when it is shown, and every control that holds the focus shows it.
class FocusMarks : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow())
                widget->setAttribute(Qt::WA_KeyboardFocusChange);
        }
        return false;
    }
};
} // namespace

void setUpApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("ryn"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RYN_VERSION));
    qApp->installEventFilter(new FocusMarks(qApp));
    // The interface font is the Windows Ming face; on Linux the Arphic Ming faces stand in for it.
    const QString ming = QStringLiteral("新細明體");
    QFont::insertSubstitutions(ming, {QStringLiteral("AR PL UMing TW"), QStringLiteral("AR PL UMing CN"),
                                      QStringLiteral("AR PL UMing HK"), QStringLiteral("Noto Serif CJK TC")});
    QFont font(ming);
    font.setPixelSize(16);
    QApplication::setFont(font);
}
