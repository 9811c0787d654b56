#include "recordwindow.h"

#include "controls/dbgrid.h"
#include "data/datasource.h"
#include "data/snapshottable.h"
#include "import/rowrules.h"
#include "platform/errors.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QPushButton>
#include <utility>

void RecordWindow::setRequiredFields(const Import::Rules& rules, const QList<QWidget*>& boxes)
{
    m_required.clear();
    const auto fields = rules.requiredFields();
    for (int i = 0; i < fields.size(); ++i)
        m_required.append({fields.at(i).first, fields.at(i).second, boxes.value(i)});
}

QString trimControls(const QString& text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

RecordWindow::RecordWindow(const QString& name, const QString& caption, QWidget* parent)
    : ChildWindow(name, caption, parent)
{
    btnAdd = addPanelButton("btnAdd", QStringLiteral("新增 (&A)"));
    btnEdit = addPanelButton("btnEdit", QStringLiteral("修改 (&E)"));
    btnPost = addPanelButton("btnPost", QStringLiteral("儲存 (&S)"));
    btnCancel = addPanelButton("btnCancel", QStringLiteral("取消 (&C)"));
    btnDelete = addPanelButton("btnDelete", QStringLiteral("刪除 (&D)"));
    // The window opens on 新增 and Tab walks the buttons left to right, Exit last: Exit, made by the
    // frame before these, goes to the end of the focus chain as a widget given its parent again
    // does (moving it there with setTabOrder loses 新增 from Qt 6.4's chain).
    btnExit->setParent(nullptr);
    btnExit->setParent(pnlButton);
    showOnlyButtons({btnAdd, btnEdit, btnPost, btnCancel, btnDelete, btnExit});

    onEvent(btnAdd, &QPushButton::clicked, this, &RecordWindow::btnAddClick);
    // A failed save or delete throws past settleFocus: the focus stays where the handler left it.
    using Handler = void (RecordWindow::*)();
    const std::pair<QPushButton*, Handler> settled[] = {{btnEdit, &RecordWindow::btnEditClick},
                                                        {btnPost, &RecordWindow::btnPostClick},
                                                        {btnCancel, &RecordWindow::btnCancelClick},
                                                        {btnDelete, &RecordWindow::btnDeleteClick}};
    for (const auto& [button, handler] : settled) {
        onEvent(button, &QPushButton::clicked, this, [this, handler = handler] {
            (this->*handler)(); // virtual: a window's own handler runs
            settleFocus();
        });
    }
}

RecordWindow::~RecordWindow() = default;

void RecordWindow::setMainTable(SnapshotTable* table, DataSource* source)
{
    m_table = table;
    m_source = source;
    onEvent(source, &DataSource::stateChanged, this, &RecordWindow::dsStateChange);
    // The check tells the user itself and stops the save by throwing.
    table->addVeto(SnapshotTable::VetoStep::Post, [this](QString*) {
        tblBeforePost();
        return true;
    });
    connect(table, &SnapshotTable::afterOpen, this, [this] { tblAfterOpen(); });
}

void RecordWindow::setSortingGrid(DBGrid* grid, SnapshotTable* table)
{
    grid->setSortable(true);
    connect(grid, &DBGrid::titleClick, this,
            [this, table](const QString& fieldName) { guarded([&] { grdTitleClick(table, fieldName); }); });
}

void RecordWindow::loadData()
{
    if (!m_table->active())
        m_table->open();
}

void RecordWindow::tblAfterOpen()
{
    m_table->setSort(m_defaultSort);
    // The window opens on the first row of the sorted list.
    if (m_table->recordCount() > 0)
        m_table->setRecNo(0);
}

void RecordWindow::dsStateChange()
{
    const bool editing = m_table->editing();
    for (QPushButton* b : {btnAdd, btnEdit, btnDelete, btnExit})
        b->setEnabled(!editing);
    btnPost->setEnabled(editing);
    btnCancel->setEnabled(editing);
    for (QWidget* input : m_inputs)
        input->setEnabled(editing);
    for (QWidget* grid : m_grids)
        grid->setEnabled(!editing);
    if (m_table->active() && m_table->recordCount() == 0) {
        btnEdit->setEnabled(false);
        btnDelete->setEnabled(false);
    }
}

void RecordWindow::disableHiddenButtons()
{
    for (QPushButton* button : hiddenButtons())
        button->setEnabled(false);
}

void RecordWindow::tblBeforePost()
{
    for (const RequiredField& required : m_required) {
        if (Import::blankText(m_table->field(required.fieldName)->asString())) {
            showMessageBox(this, required.message, QStringLiteral("必填欄位"), Win::MB_ICONEXCLAMATION);
            required.focus->setFocus();
            throw Abort();
        }
    }
}

void RecordWindow::grdTitleClick(SnapshotTable* table, const QString& fieldName)
{
    const QString sort = table->sort();
    if (sort.contains(fieldName))
        table->setSort(fieldName
                       + (sort.contains(QLatin1String("ASC")) ? QStringLiteral(" DESC") : QStringLiteral(" ASC")));
    else
        table->setSort(fieldName + QStringLiteral(" ASC"));
}

void RecordWindow::settleFocus()
{
    // The state rule disables the button just pressed (and the boxes once a row is saved or
    // dropped; 修改 and 刪除 once the last row is deleted). Qt then hands the focus along the
    // chain: to the frame around the window, where keys reach nothing, or to the next enabled
    // button (取消 clicked would leave it on 刪除). While a row is edited it goes to the first box
    // that can change, while browsing to 新增; a focus on an enabled box or grid stays.
    QWidget* focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus) && focus->isEnabled() && focus->isVisible() && focus->parentWidget() != pnlButton)
        return;
    if (!m_table->editing()) {
        (btnAdd->isEnabled() ? btnAdd : btnExit)->setFocus(Qt::OtherFocusReason);
        return;
    }
    for (QWidget* input : m_inputs) {
        if (input->isEnabled() && input->isVisible() && input->focusPolicy() != Qt::NoFocus) {
            input->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

void RecordWindow::btnAddClick()
{
    m_table->append();
    if (m_firstField)
        m_firstField->setFocus();
}

void RecordWindow::btnEditClick()
{
    m_table->edit();
}

void RecordWindow::btnPostClick()
{
    m_table->post().requireReadBack();
}

void RecordWindow::btnCancelClick()
{
    m_table->cancel();
}

bool RecordWindow::confirmDelete()
{
    return showMessageBox(this, QStringLiteral("確定刪除此筆記錄？"), QStringLiteral("刪除"),
                          Win::MB_OKCANCEL | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2)
           == Win::IDOK;
}

void RecordWindow::btnDeleteClick()
{
    if (!confirmDelete())
        return;
    m_table->remove();
    dsStateChange();
}

DBGrid* RecordWindow::mainGrid() const
{
    for (QWidget* w : m_grids) {
        if (auto* grid = qobject_cast<DBGrid*>(w))
            return grid;
    }
    return ChildWindow::mainGrid();
}

bool RecordWindow::rowEdited() const
{
    return m_table && m_table->editing();
}
