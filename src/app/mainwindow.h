#pragma once
// The main window: a multiple-document frame whose menu brings up every other window as a child,
// arranges the children, offers the language choice and ends the program. It owns the database
// connection that all child windows use.

#include "session/session.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

class Connection;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class LanguageController;

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// The frame of session's user: the windows it brings up act for that user.
    explicit MainWindow(const Session& session, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// Reads the language setting, applies it and ticks the item of the language shown.
    void readUiLanguage();
    /// The language command: stores "tw" or "cn" for the next start and tells the user to restart.
    void setDefaultLanguage(const QString& caption);

    /// Brings up the one child window of class Form: the existing one to the front (restored when
    /// minimised), or a new one made by create(). Returns the window.
    template <typename Form> Form* bringUpChild(const std::function<Form*()>& create)
    {
        for (QMdiSubWindow* sub : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
            if (auto* form = qobject_cast<Form*>(sub->widget())) {
                raiseChild(sub);
                return form;
            }
        }
        Form* form = create();
        addChild(form);
        return form;
    }
    /// Shows a new child window maximised inside the frame.
    QMdiSubWindow* addChild(QWidget* form);

    /// The logged-in user, given to the windows that act for the user.
    const Session session;
    Connection* conn;
    QMdiArea* mdiArea;
    LanguageController* languageController = nullptr;
    QLabel* lblRestart;
    QLabel* lblCloseQuery;
    QLabel* lblExit;

    QMenu* mitBasic;
    QAction* mitStudent;
    QAction* mitClassroom;
    QAction* mitCourse;
    QAction* mitBuy;
    QAction* mitQuery;
    QAction* mitStatistics;
    QAction* mitDayClose;
    QAction* mitLowBalance;
    QAction* mitCorp;
    QMenu* mitLang;
    QAction* mitTW;
    QAction* mitCN;
    QAction* mitUser;
    QAction* mitHistory;
    QAction* mitPassword;
    QAction* mitExit;
    QMenu* mitWindow;
    QAction* mitCascade;
    QAction* mitHorizontal;
    QAction* mitVertical;
    QAction* mitIcon;
    QAction* mitCloseAll;
    QMenu* mitHelp;
    QAction* mitAbout;

    void mitStudentClick();
    void mitClassroomClick();
    void mitCorpClick();
    void mitUserClick();
    void mitPasswordClick();
    void mitCourseClick();
    void mitBuyClick();
    void mitQueryClick();
    void mitStatisticsClick();
    void mitHistoryClick();
    void mitDayCloseClick();
    void mitLowBalanceClick();
    void mitExitClick();
    void mitCascadeClick();
    void mitHorizontalClick();
    void mitVerticalClick();
    void mitIconClick();
    void mitCloseAllClick();
    void mitAboutClick();
    void mitLangClick(QAction* item);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void loadLanguageAndConnect();
    bool mayClose();
    void raiseChild(QMdiSubWindow* sub);
    void listChildWindows();
    /// Frees every child window at once.
    void closeAllNow();
    /// The forms inside the child frames.
    QList<QWidget*> childForms() const;

    QActionGroup* m_langGroup;
    QList<QAction*> m_windowList;
    /// The user chose to stop the transfers and end the program.
    bool m_endAfterTransfers = false;
};
