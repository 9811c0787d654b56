#pragma once
// The frame of every record window: the button panel with its six handlers, the state rule, the
// delete confirmation, the required-field check, sorting by a grid title, the Enter rule, field
// hints in the status bar, opening the tables on creation and freeing the window on close. Each
// window builds its own grid and fields on top and states only what differs.

#include "ui/inputmethod.h"

#include <QList>
#include <QString>
#include <QWidget>

class DBEdit;
class DBGrid;
class DataSource;
class QLabel;
class QKeyEvent;
class QProgressBar;
class QPushButton;
class QStatusBar;
class SnapshotTable;
class LanguageController;
namespace Import {
class Rules;
}

class RecordWindow : public QWidget
{
    Q_OBJECT

public:
    /// A field that must hold something other than white space before a row is saved.
    struct RequiredField {
        QString fieldName;
        QString message; ///< shown under the title "必填欄位"
        QWidget* focus;  ///< the box that gets the focus when the field is empty
    };

    ~RecordWindow() override;

    QWidget* pnlButton;
    QPushButton* btnAdd;
    QPushButton* btnEdit;
    QPushButton* btnPost;
    QPushButton* btnCancel;
    QPushButton* btnDelete;
    QPushButton* btnExit;
    QStatusBar* statusBar;
    /// Under the detail grid of the master/detail windows; only the course window fills it.
    QProgressBar* progressBar = nullptr;
    LanguageController* languageController = nullptr;

    /// The table the buttons act on.
    SnapshotTable* mainTable() const { return m_table; }

    virtual void btnAddClick();
    virtual void btnEditClick();
    virtual void btnPostClick();
    virtual void btnCancelClick();
    virtual void btnDeleteClick();
    virtual void btnExitClick();

protected:
    /// name: the window's name (frmStudent); caption: the record kind shown in the title bar.
    RecordWindow(const QString& name, const QString& caption, QWidget* parent);

    /// The area between the button panel and the status bar, for the window's grid and fields.
    QWidget* body() const { return m_body; }
    /// Docks grid at the left of the body and returns the panel to its right, for the fields.
    QWidget* dockGridLeft(QWidget* grid);
    /// The master/detail layout: a panel height pixels high across the top of the body, with
    /// masterGrid (if any) at its left and the returned fields area at its right; detailGrid fills
    /// the rest, above the progress bar.
    QWidget* dockUpperPanel(QWidget* masterGrid, QWidget* detailGrid, int height);
    /// Shows only the given buttons, side by side from the left in their tab order; hides the rest.
    void showOnlyButtons(const QList<QPushButton*>& shown);
    /// A label and its box on the next line of a field column inside parent: the label right-aligned
    /// before the box, lines 30 pixels apart.
    void addFieldLine(QWidget* parent, QLabel* label, QWidget* box, int boxWidth);

    /// A labelled edit box bound to field of source on the next line of panel; the label is
    /// returned through label.
    DBEdit* addEditLine(QWidget* panel, QLabel** label, const char* labelName, const QString& caption,
                        const char* editName, DataSource* source, const char* field, ImeMode mode, int width);

    /// What the frame needs to know of the window; set in the window's constructor.
    void setMainTable(SnapshotTable* table, DataSource* source);
    /// Keeps only the given buttons of the panel, side by side from its left edge in the usual
    /// order; the others are hidden and stay disabled.
    void keepButtons(const QList<QPushButton*>& shown);
    void setInputs(const QList<QWidget*>& inputs) { m_inputs = inputs; }
    void setGrids(const QList<QWidget*>& grids) { m_grids = grids; }
    void setFirstField(QWidget* box) { m_firstField = box; }
    void setRequiredFields(const QList<RequiredField>& fields) { m_required = fields; }
    /// The required fields of rules (their order and messages), each with its box in that order.
    void setRequiredFields(const Import::Rules& rules, const QList<QWidget*>& boxes);
    void setDefaultSort(const QString& sortText) { m_defaultSort = sortText; }
    /// The grid whose title clicks sort its table.
    void setSortingGrid(DBGrid* grid, SnapshotTable* table);
    /// Shows hint in the status bar while box has the focus.
    void setFieldHint(QWidget* box, const QString& hint);

    /// Ends construction: gives the window its translation controller and its row history (Ctrl+H)
    /// and runs loadData under the guard (an error there is shown and the window still opens).
    /// Call last in the constructor.
    void finishCreate();

    /// Opens the window's tables (each unless open).
    virtual void loadData();
    /// The state rule; runs on every change of the main table's edit state and after a delete.
    virtual void dsStateChange();
    /// The buttons that keepButtons() hid stay disabled whatever the state.
    void disableHiddenButtons();
    /// The question before a delete; true when the user confirmed.
    bool confirmDelete();
    /// The required-field check, asked as a veto before the main table posts; refuses by throwing.
    virtual void tblBeforePost();
    /// Sets the default sort (the main table's afterOpen).
    virtual void tblAfterOpen();
    /// The sort rule for a click on the title of fieldName.
    void grdTitleClick(SnapshotTable* table, const QString& fieldName);
    /// The Enter rule, and Esc pressing Exit while it is enabled.
    virtual bool previewKey(QKeyEvent* event);
    /// Focus moves in and out of a box that has a hint.
    virtual void fieldEnter(QWidget* box);
    virtual void fieldExit(QWidget* box);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* addButton(const char* name, const QString& caption);
    /// The window's main grid: the first of its grids (the left or master one).
    DBGrid* mainGrid() const;
    /// Ctrl+F (find bar) and Ctrl+Shift+F (filter row) of the main grid from anywhere in the window
    /// while no row is edited; true when taken.
    bool gridKeyFromAnywhere(QKeyEvent* event);

    QWidget* m_body;
    SnapshotTable* m_table = nullptr;
    DataSource* m_source = nullptr;
    QList<QWidget*> m_inputs;
    QList<QWidget*> m_grids;
    QWidget* m_firstField = nullptr;
    QList<RequiredField> m_required;
    QString m_defaultSort;
    QList<QPair<QWidget*, QString>> m_hints;
    QMap<QObject*, int> m_fieldLines;
    QList<QPushButton*> m_hiddenButtons;
};

/// Removes white space and control characters at both ends, as the required-field check does.
QString trimControls(const QString& text);
