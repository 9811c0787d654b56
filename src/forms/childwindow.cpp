#include "childwindow.h"

#include "controls/dbedit.h"
#include "controls/dbgrid.h"
#include "controls/gridfindbar.h"
#include "data/datasource.h"
#include "forms/rowhistory.h"
#include "forms/windowparts.h"
#include "ui/childframe.h"
#include "ui/guard.h"
#include "ui/keypreview.h"
#include "ui/uilanguage.h"

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
constexpr int kPanelHeight = 34;
constexpr int kLineSpacing = 30;
constexpr int kFirstLine = 12;
constexpr int kLabelRight = 110;
} // namespace

ChildWindow::ChildWindow(const QString& name, const QString& caption, QWidget* parent)
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
    btnExit = addPanelButton("btnExit", QStringLiteral("結束 (&X)"));
    showOnlyButtons({btnExit});

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

    onEvent(btnExit, &QPushButton::clicked, this, &ChildWindow::btnExitClick);
    new KeyPreview(this, [this](QKeyEvent* e) { return previewKey(e); });
}

ChildWindow::~ChildWindow() = default;

QPushButton* ChildWindow::addPanelButton(const char* name, const QString& caption)
{
    QPushButton* button = namedButton(pnlButton, name, caption);
    button->resize(ButtonWidth, ButtonHeight);
    m_panelButtons.append(button);
    return button;
}

void ChildWindow::showOnlyButtons(const QList<QPushButton*>& shown)
{
    m_hiddenButtons.clear();
    for (QPushButton* button : m_panelButtons) {
        if (!shown.contains(button)) {
            button->hide();
            m_hiddenButtons.append(button);
        }
    }
    int index = 0;
    for (QPushButton* button : shown)
        button->move(index++ * ButtonWidth, 0);
}

QWidget* ChildWindow::dockGridLeft(QWidget* grid)
{
    auto* fields = new QWidget(m_body);
    auto* layout = new QHBoxLayout(m_body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid);
    layout->addWidget(fields, 1);
    return fields;
}

QWidget* ChildWindow::dockUpperPanel(QWidget* masterGrid, QWidget* detailGrid, int height, const char* panelName)
{
    auto* panel = new QWidget(m_body);
    panel->setObjectName(QString::fromLatin1(panelName));
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

void ChildWindow::addFieldLine(QWidget* parent, QLabel* label, QWidget* box, int boxWidth)
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

DBEdit* ChildWindow::addEditLine(QWidget* panel, QLabel** label, const char* labelName, const QString& caption,
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

void ChildWindow::setFieldHint(QWidget* box, const QString& hint)
{
    m_hints.append({box, hint});
    box->installEventFilter(this);
}

void ChildWindow::openWithFocusIn(QWidget* box)
{
    // The window is not shown yet: this makes box the window's focus widget, which it takes once shown.
    box->setFocus(Qt::OtherFocusReason);
}

void ChildWindow::finishCreate()
{
    languageController = attachLanguageController(this);
    RowHistory::attach(this, rowHistoryTable());
    guarded([this] { loadData(); });
}

void ChildWindow::btnExitClick()
{
    // Inside the main window the frame around this form is what closes.
    childFrame(this)->close();
}

DBGrid* ChildWindow::mainGrid() const
{
    return m_body->findChild<DBGrid*>();
}

bool ChildWindow::gridKeyFromAnywhere(QKeyEvent* event)
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
    if (!grid || rowEdited() || !grid->isEnabled() || !grid->isVisible())
        return false;
    if (find)
        grid->findBar()->open();
    else
        grid->setFilterRowShown(!grid->filterRowShown());
    return true;
}

bool ChildWindow::previewKey(QKeyEvent* event)
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

void ChildWindow::fieldEnter(QWidget* box)
{
    for (const auto& [widget, hint] : m_hints)
        if (widget == box)
            statusBar->showMessage(hint);
}

void ChildWindow::fieldExit(QWidget*)
{
    statusBar->clearMessage();
}

bool ChildWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<QWidget*>(watched);
        if (box)
            guarded([&] { event->type() == QEvent::FocusIn ? fieldEnter(box) : fieldExit(box); });
    }
    return QWidget::eventFilter(watched, event);
}

void ChildWindow::closeEvent(QCloseEvent* event)
{
    // Nothing is saved on closing: the window and its tables go, an unsaved row with them.
    event->accept();
}
