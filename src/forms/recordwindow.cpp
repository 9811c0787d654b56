#include "recordwindow.h"

#include "ui/uilanguage.h"
#include "data/datasource.h"
#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/gridfindbar.h"
#include "data/snapshottable.h"
#include "forms/windowparts.h"
#include "forms/rowhistory.h"
#include "import/rowrules.h"
#include "platform/errors.h"
#include "ui/childframe.h"
#include "ui/guard.h"
#include "ui/keypreview.h"
#include "ui/messagebox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 33;
constexpr int kPanelHeight = 34;
constexpr int kLineSpacing = 30;
constexpr int kFirstLine = 12;
constexpr int kLabelRight = 110;
} // namespace

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
    : QWidget(parent)
{
    setObjectName(name);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    // A single fixed border: the window can be maximised and restored, not resized by its edges.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    QFont f = font();
    f.setPixelSize(16);
    setFont(f);

    pnlButton = new QWidget(this);
    pnlButton->setObjectName(QStringLiteral("pnlButton"));
    pnlButton->setFixedHeight(kPanelHeight);
    btnAdd = addButton("btnAdd", QStringLiteral("新增 (&A)"));
    btnEdit = addButton("btnEdit", QStringLiteral("修改 (&E)"));
    btnPost = addButton("btnPost", QStringLiteral("儲存 (&S)"));
    btnCancel = addButton("btnCancel", QStringLiteral("取消 (&C)"));
    btnDelete = addButton("btnDelete", QStringLiteral("刪除 (&D)"));
    btnExit = addButton("btnExit", QStringLiteral("結束 (&X)"));
    setTabOrder(btnAdd, btnEdit);
    setTabOrder(btnEdit, btnPost);
    setTabOrder(btnPost, btnCancel);
    setTabOrder(btnCancel, btnDelete);
    setTabOrder(btnDelete, btnExit);

    m_body = new QWidget(this);
    statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar"));
    statusBar->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlButton);
    layout->addWidget(m_body, 1);
    layout->addWidget(statusBar);

    onEvent(btnAdd, &QPushButton::clicked, this, &RecordWindow::btnAddClick);
    onEvent(btnEdit, &QPushButton::clicked, this, &RecordWindow::btnEditClick);
    onEvent(btnPost, &QPushButton::clicked, this, &RecordWindow::btnPostClick);
    onEvent(btnCancel, &QPushButton::clicked, this, &RecordWindow::btnCancelClick);
    onEvent(btnDelete, &QPushButton::clicked, this, &RecordWindow::btnDeleteClick);
    onEvent(btnExit, &QPushButton::clicked, this, &RecordWindow::btnExitClick);
    new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
}

RecordWindow::~RecordWindow() = default;

QPushButton* RecordWindow::addButton(const char* name, const QString& caption)
{
    const int index = int(pnlButton->findChildren<QPushButton*>().size());
    QPushButton* button = namedButton(pnlButton, name, caption);
    button->setGeometry(index * kButtonWidth, 0, kButtonWidth, kButtonHeight);
    return button;
}

QWidget* RecordWindow::dockGridLeft(QWidget* grid)
{
    auto* fields = new QWidget(m_body);
    auto* layout = new QHBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    layout->addWidget(fields, 1);
    return fields;
}

QWidget* RecordWindow::dockUpperPanel(QWidget* masterGrid, QWidget* detailGrid, int height)
{
    auto* panel = new QWidget(m_body);
    panel->setObjectName(QStringLiteral("pnlMaster"));
    panel->setFixedHeight(height);
    auto* fields = new QWidget(panel);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    if (masterGrid)
        row->addWidget(masterGrid);
    row->addWidget(fields, 1);

    progressBar = new QProgressBar(m_body);
    progressBar->setObjectName(QStringLiteral("ProgressBar"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    auto* column = new QVBoxLayout(m_body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(panel);
    column->addWidget(detailGrid, 1);
    column->addWidget(progressBar);
    return fields;
}

void RecordWindow::showOnlyButtons(const QList<QPushButton*>& shown)
{
    int index = 0;
    for (QPushButton* b : {btnAdd, btnEdit, btnPost, btnCancel, btnDelete, btnExit}) {
        b->setVisible(shown.contains(b));
        if (shown.contains(b))
            b->move(index++ * kButtonWidth, 0);
    }
}

void RecordWindow::addFieldLine(QWidget* parent, QLabel* label, QWidget* box, int boxWidth)
{
    const int line = m_fieldLines.value(parent, 0);
    m_fieldLines[parent] = line + 1;
    const int y = kFirstLine + line * kLineSpacing;
    label->setParent(parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(0, y, kLabelRight, 24);
    box->setParent(parent);
    box->setGeometry(kLabelRight + 6, y, boxWidth, 24);
}

DBEdit* RecordWindow::addEditLine(QWidget* panel, QLabel** label, const char* labelName, const QString& caption,
                                  const char* editName, DataSource* source, const char* field, ImeMode mode, int width)
{
    *label = namedLabel(labelName, caption);
    auto* edit = named(new DBEdit, editName);
    edit->setDataSource(source);
    edit->setDataField(QString::fromLatin1(field));
    setImeMode(edit, mode);
    addFieldLine(panel, *label, edit, width);
    return edit;
}

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

void RecordWindow::keepButtons(const QList<QPushButton*>& shown)
{
    int index = 0;
    for (QPushButton* button : {btnAdd, btnEdit, btnPost, btnCancel, btnDelete, btnExit}) {
        if (shown.contains(button)) {
            button->move(index++ * kButtonWidth, 0);
        } else {
            button->hide();
            m_hiddenButtons.append(button);
        }
    }
}

void RecordWindow::setSortingGrid(DBGrid* grid, SnapshotTable* table)
{
    grid->setSortable(true);
    connect(grid, &DBGrid::titleClick, this,
            [this, table](const QString& fieldName) { guarded([&] { grdTitleClick(table, fieldName); }); });
}

void RecordWindow::setFieldHint(QWidget* box, const QString& hint)
{
    m_hints.append({box, hint});
    box->installEventFilter(this);
}

void RecordWindow::finishCreate()
{
    languageController = attachLanguageController(this);
    RowHistory::attach(this);
    guarded([this] { loadData(); });
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
    disableHiddenButtons();
}

void RecordWindow::disableHiddenButtons()
{
    for (QPushButton* button : m_hiddenButtons)
        button->setEnabled(false);
}

void RecordWindow::tblBeforePost()
{
    for (const RequiredField& required : m_required) {
        if (Import::blankText(m_table->fieldByName(required.fieldName)->asString())) {
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

void RecordWindow::btnExitClick()
{
    // Inside the main window the frame around this form is what closes.
    childFrame(this)->close();
}

DBGrid* RecordWindow::mainGrid() const
{
    for (QWidget* w : m_grids) {
        if (auto* grid = qobject_cast<DBGrid*>(w))
            return grid;
    }
    return m_body->findChild<DBGrid*>();
}

bool RecordWindow::gridKeyFromAnywhere(QKeyEvent* event)
{
    const QKeyCombination key = event->keyCombination();
    const bool find = key == QKeyCombination(Qt::ControlModifier, Qt::Key_F);
    const bool filter = key == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F);
    if (!find && !filter)
        return false;
    // A grid with the focus takes its own keys; while a row is edited the grids stay as they are.
    if (qobject_cast<DBGrid*>(QApplication::focusWidget()))
        return false;
    DBGrid* grid = mainGrid();
    if (!grid || (m_table && m_table->editing()) || !grid->isEnabled() || !grid->isVisible())
        return false;
    if (find)
        grid->findBar()->open();
    else
        grid->setFilterRowShown(!grid->filterRowShown());
    return true;
}

bool RecordWindow::previewKey(QKeyEvent* event)
{
    if (gridKeyFromAnywhere(event))
        return true;
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!btnExit->isEnabled() || !btnExit->isVisible())
            return false;
        btnExit->click();
        return true;
    }
    return applyEnterRule(this, event);
}

void RecordWindow::fieldEnter(QWidget* box)
{
    for (const auto& [widget, hint] : m_hints)
        if (widget == box)
            statusBar->showMessage(hint);
}

void RecordWindow::fieldExit(QWidget*)
{
    statusBar->clearMessage();
}

bool RecordWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QWidget*>(watched);
        if (box)
            guarded([&] { event->type() == QEvent::FocusIn ? fieldEnter(box) : fieldExit(box); });
    }
    return QWidget::eventFilter(watched, event);
}

void RecordWindow::closeEvent(QCloseEvent* event)
{
    // Nothing is saved on closing: the window and its tables go, an unsaved row with them.
    event->accept();
}
