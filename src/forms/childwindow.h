#pragma once
// The frame of every child window of the main window: the button panel with Exit, the body between
// the panel and the status bar, the progress bar of the master/detail layout, field hints in the
// status bar, the Enter and Esc rules and the main grid's find keys, translation and freeing on
// close. A window with a record table builds on RecordWindow; one that only shows figures builds
// here and has no record buttons at all.

#include "ui/inputmethod.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QWidget>

class DBEdit;
class DBGrid;
class DataSource;
class LanguageController;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QStatusBar;
class SnapshotTable;

class ChildWindow : public QWidget
{
    Q_OBJECT

public:
    /// The size of a button of the panel; a window's own buttons line up on it.
    static constexpr int ButtonWidth = 75;
    static constexpr int ButtonHeight = 33;

    ~ChildWindow() override;

    QWidget* pnlButton;
    QPushButton* btnExit;
    QStatusBar* statusBar;
    /// Under the detail grid of the master/detail layout (dockUpperPanel); null otherwise.
    QProgressBar* progressBar = nullptr;
    LanguageController* languageController = nullptr;

    virtual void btnExitClick();

protected:
    /// name: the window's name (frmStudent); caption: the title bar's text.
    ChildWindow(const QString& name, const QString& caption, QWidget* parent);

    /// The area between the button panel and the status bar, for the window's grids and fields.
    QWidget* body() const { return m_body; }
    /// Docks grid at the left of the body and returns the panel to its right, for the fields.
    QWidget* dockGridLeft(QWidget* grid);
    /// The master/detail layout: a panel named panelName, height pixels high across the top of the
    /// body, with masterGrid (if any) at its left and the returned fields area at its right;
    /// detailGrid fills the rest, above the progress bar.
    QWidget* dockUpperPanel(QWidget* masterGrid, QWidget* detailGrid, int height, const char* panelName = "pnlMaster");
    /// A button of the panel, placed by showOnlyButtons.
    QPushButton* addPanelButton(const char* name, const QString& caption);
    /// Shows the given buttons of the panel side by side from its left edge, in the order given,
    /// and hides its other buttons (those made by addPanelButton).
    void showOnlyButtons(const QList<QPushButton*>& shown);
    /// The buttons that showOnlyButtons hid.
    const QList<QPushButton*>& hiddenButtons() const { return m_hiddenButtons; }
    /// A label and its box on the next line of a field column inside parent: the label right-aligned
    /// before the box, lines 30 pixels apart.
    void addFieldLine(QWidget* parent, QLabel* label, QWidget* box, int boxWidth);
    /// A labelled edit box bound to field of source on the next line of panel; the label is
    /// returned through label.
    DBEdit* addEditLine(QWidget* panel, QLabel** label, const char* labelName, const QString& caption,
                        const char* editName, DataSource* source, const char* field, ImeMode mode, int width);
    /// Shows hint in the status bar while box has the focus.
    void setFieldHint(QWidget* box, const QString& hint);

    /// The window opens with the focus in box (in the main window's area too, where the frame
    /// around the window gives the focus back to the widget that had it last). Tab keeps its order.
    void openWithFocusIn(QWidget* box);

    /// Ends construction: gives the window its translation controller and its row history (Ctrl+H)
    /// and runs loadData under the guard (an error there is shown and the window still opens).
    /// Call last in the constructor.
    void finishCreate();

    /// Reads what the window shows; the frame reads nothing.
    virtual void loadData() {}
    /// The table whose current row Ctrl+H shows when no grid of a recorded table has the focus.
    virtual SnapshotTable* rowHistoryTable() const { return nullptr; }
    /// The grid that Ctrl+F and Ctrl+Shift+F open from anywhere: the first grid of the body.
    virtual DBGrid* mainGrid() const;
    /// While a row is edited the grids keep their state: the find keys do nothing.
    virtual bool rowEdited() const { return false; }
    /// The main grid's find keys, Esc pressing Exit while it is enabled, and the Enter rule.
    virtual bool previewKey(QKeyEvent* event);
    /// Focus moves in and out of a box that has a hint.
    virtual void fieldEnter(QWidget* box);
    virtual void fieldExit(QWidget* box);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    /// Ctrl+F (find bar) and Ctrl+Shift+F (filter row) of the main grid; true when taken.
    bool gridKeyFromAnywhere(QKeyEvent* event);

    QWidget* m_body;
    QList<QPushButton*> m_panelButtons;
    QList<QPushButton*> m_hiddenButtons;
    QList<QPair<QWidget*, QString>> m_hints;
    QMap<QObject*, int> m_fieldLines;
};
