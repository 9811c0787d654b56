#pragma once
// The frame of every window that edits a record table, on the child window's frame: the record
// buttons with their handlers, the state rule, the delete confirmation, the required-field check,
// sorting by a grid title and opening the tables on creation. Each window builds its own grid and
// fields on top and states only what differs.

#include "forms/childwindow.h"

#include <QList>
#include <QString>

class DBGrid;
class DataSource;
class QPushButton;
class SnapshotTable;
namespace Import {
class Rules;
}

class RecordWindow : public ChildWindow
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

    QPushButton* btnAdd;
    QPushButton* btnEdit;
    QPushButton* btnPost;
    QPushButton* btnCancel;
    QPushButton* btnDelete;

    /// The table the buttons act on.
    SnapshotTable* mainTable() const { return m_table; }

    virtual void btnAddClick();
    virtual void btnEditClick();
    virtual void btnPostClick();
    virtual void btnCancelClick();
    virtual void btnDeleteClick();

protected:
    /// name: the window's name (frmStudent); caption: the record kind shown in the title bar.
    RecordWindow(const QString& name, const QString& caption, QWidget* parent);

    /// What the frame needs to know of the window; set in the window's constructor, before
    /// finishCreate.
    void setMainTable(SnapshotTable* table, DataSource* source);
    void setInputs(const QList<QWidget*>& inputs) { m_inputs = inputs; }
    void setGrids(const QList<QWidget*>& grids) { m_grids = grids; }
    void setFirstField(QWidget* box) { m_firstField = box; }
    void setRequiredFields(const QList<RequiredField>& fields) { m_required = fields; }
    /// The required fields of rules (their order and messages), each with its box in that order.
    void setRequiredFields(const Import::Rules& rules, const QList<QWidget*>& boxes);
    void setDefaultSort(const QString& sortText) { m_defaultSort = sortText; }
    /// The grid whose title clicks sort its table.
    void setSortingGrid(DBGrid* grid, SnapshotTable* table);

    /// Opens the main table unless open.
    void loadData() override;
    /// The state rule; runs on every change of the main table's edit state and after a delete.
    virtual void dsStateChange();
    /// Disables the buttons that showOnlyButtons hid; a window whose hidden buttons must not act
    /// even when clicked from code calls it at the end of its state rule.
    void disableHiddenButtons();
    /// The question before a delete; true when the user confirmed.
    bool confirmDelete();
    /// The required-field check, asked as a veto before the main table posts; refuses by throwing.
    virtual void tblBeforePost();
    /// Sets the default sort (the main table's afterOpen).
    virtual void tblAfterOpen();
    /// The sort rule for a click on the title of fieldName.
    void grdTitleClick(SnapshotTable* table, const QString& fieldName);

    SnapshotTable* rowHistoryTable() const override { return m_table; }
    /// The first of the window's grids (the left or master one).
    DBGrid* mainGrid() const override;
    bool rowEdited() const override;

private:
    /// After Edit, Save, Cancel or Delete: the focus on a control that takes keys (see the .cpp).
    void settleFocus();

    SnapshotTable* m_table = nullptr;
    DataSource* m_source = nullptr;
    QList<QWidget*> m_inputs;
    QList<QWidget*> m_grids;
    QWidget* m_firstField = nullptr;
    QList<RequiredField> m_required;
    QString m_defaultSort;
};

/// Removes white space and control characters at both ends, as the required-field check does.
QString trimControls(const QString& text);
