#pragma once
// The About box: the product name, the program file's version and a link to the maker's web site.
// The main window shows it modally and frees it when it closes.

#include <QDialog>

class QLabel;
class QPushButton;
class LanguageController;

class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    /// Lays the box out and runs showVersion.
    explicit AboutDialog(QWidget* parent = nullptr);

    /// Replaces the version line's caption with "V " and the program's version
    /// (QCoreApplication::applicationVersion), centred on the window's outer width (again once
    /// shown); keeps caption and place when no version is set.
    void showVersion();
    /// Closes the box (accepted).
    void btnOKClick();
    /// Link look under the mouse: blue, italic, underlined.
    void lblWebsiteMouseEnter();
    /// Link look at rest: navy, underlined, upright.
    void lblWebsiteMouseLeave();
    /// Opens the maker's home page in the default browser.
    void lblWebsiteClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void setLinkLook(const QColor& color, bool italic);
    /// Centres the version line on the window's outer width, frame included.
    void centreVersionLine();

    bool m_websitePressed = false;
    bool m_versionCentred = false; ///< the version line shows the version and follows the width

    QLabel* lblAppName = nullptr;
    QLabel* lblWebsite = nullptr;
    QLabel* lblVersion = nullptr;
    QPushButton* btnOK = nullptr;
    // Translation controller: to be created in the constructor, before showVersion, by the
    // language work; nothing uses it yet.
    LanguageController* languageController = nullptr;
};
