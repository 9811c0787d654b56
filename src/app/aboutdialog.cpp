#include "aboutdialog.h"

#include "ui/uilanguage.h"
#include "ui/guard.h"
#include "ui/weblink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

#include <cmath>

namespace {
const char* const ShownAddress = "www.korvel.com.tw";
const char* const HomePage = "https://www.korvel.com.tw/";
const QColor Navy(0, 0, 128);
const QColor Blue(0, 0, 255);

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(left, top);
    label->adjustSize();
    return label;
}
} // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("軟體資訊"));
    setFixedSize(330, 170);

    lblAppName = makeLabel(this, "lblAppName", QStringLiteral("Korvel線上影音教學系統後台管理"), 42, 22);
    lblWebsite = makeLabel(this, "lblWebsite", QLatin1String(ShownAddress), 97, 54);
    lblWebsite->setCursor(Qt::PointingHandCursor);
    lblWebsite->installEventFilter(this);
    setLinkLook(Navy, false);
    lblVersion = makeLabel(this, "lblVersion", QStringLiteral("lblVersion"), 125, 86);
    btnOK = new QPushButton(QStringLiteral("確定"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(125, 124, 80, 30);
    btnOK->setDefault(true);
    onEvent(btnOK, &QPushButton::clicked, this, &AboutDialog::btnOKClick);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // Translated before showVersion writes the version line.
    languageController = attachLanguageController(this);

    guarded([this] { showVersion(); });
}

void AboutDialog::showVersion()
{
    // The build sets the version (the project's version in CMakeLists.txt) when the program starts.
    const QString version = QCoreApplication::applicationVersion();
    if (version.isEmpty())
        return;
    lblVersion->setText(QStringLiteral("V ") + version);
    lblVersion->adjustSize();
    m_versionCentred = true;
    centreVersionLine();
}

void AboutDialog::centreVersionLine()
{
    // Halves go to the even neighbour: that is how nearbyint rounds under the default rounding mode.
    const int left = int(std::nearbyint((frameGeometry().width() - lblVersion->width()) / 2.0));
    lblVersion->move(left, lblVersion->y());
}

void AboutDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The outer width is known only once the window has its frame.
    if (m_versionCentred)
        centreVersionLine();
}

void AboutDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // A window manager puts its frame around the window after it is shown, and moves it then.
    if (m_versionCentred && isVisible())
        centreVersionLine();
}

void AboutDialog::btnOKClick()
{
    accept();
}

void AboutDialog::lblWebsiteMouseEnter()
{
    setLinkLook(Blue, true);
}

void AboutDialog::lblWebsiteMouseLeave()
{
    setLinkLook(Navy, false);
}

void AboutDialog::lblWebsiteClick()
{
    // A page that cannot be opened leaves the box as it was; there is nothing the user could fix here.
    openWebLink(QLatin1String(HomePage));
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != lblWebsite)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Enter:
        guarded([this] { lblWebsiteMouseEnter(); });
        break;
    case QEvent::Leave:
        guarded([this] { lblWebsiteMouseLeave(); });
        break;
    case QEvent::MouseButtonPress:
        m_websitePressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        break;
    case QEvent::MouseButtonRelease: {
        // A click is a left press and release both on the link, as with a button.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool click = m_websitePressed && mouse->button() == Qt::LeftButton
                           && lblWebsite->rect().contains(mouse->position().toPoint());
        m_websitePressed = false;
        if (click)
            guarded([this] { lblWebsiteClick(); });
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::setLinkLook(const QColor& color, bool italic)
{
    QFont font = lblWebsite->font();
    font.setUnderline(true);
    font.setItalic(italic);
    lblWebsite->setFont(font);
    QPalette palette = lblWebsite->palette();
    palette.setColor(QPalette::WindowText, color);
    lblWebsite->setPalette(palette);
    lblWebsite->adjustSize();
}
