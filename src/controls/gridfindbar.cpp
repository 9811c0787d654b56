#include "gridfindbar.h"

#include "dbgrid.h"
#include "gridtooltexts.h"
#include "ui/guard.h"
#include "ui/inputmethod.h"
#include "ui/keypreview.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

GridFindBar::GridFindBar(DBGrid* grid, QWidget* parent)
    : QWidget(parent)
    , m_grid(grid)
{
    setObjectName(QStringLiteral("pnlFind"));
    lblFind = new QLabel(this);
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    setImeMode(txtFind, ImeMode::Open);
    // Small arrow buttons, their texts as tips: the bar fits under the narrowest grid.
    btnFindPrev = new QPushButton(QStringLiteral("▲"), this);
    btnFindPrev->setObjectName(QStringLiteral("btnFindPrev"));
    btnFindNext = new QPushButton(QStringLiteral("▼"), this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    for (QPushButton* b : {btnFindPrev, btnFindNext}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedWidth(28);
    }
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    lblNote->setWordWrap(true);
    lblNote->hide();
    // The bar is as wide as its grid, whatever its texts ask for.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    txtFind->setMinimumWidth(60);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->addWidget(lblFind);
    line->addWidget(txtFind, 1);
    line->addWidget(btnFindPrev);
    line->addWidget(btnFindNext);
    layout->addLayout(line);
    layout->addWidget(lblNote);
    retranslate();

    // Enter and Esc belong to the bar, not to the window's Enter rule and Exit key.
    keepOwnKeys(this);
    txtFind->installEventFilter(this);
    connect(txtFind, &QLineEdit::textEdited, this, [this] { guarded([this] { find(From::Current); }); });
    connect(btnFindPrev, &QPushButton::clicked, this, [this] { guarded([this] { find(From::Previous); }); });
    connect(btnFindNext, &QPushButton::clicked, this, [this] { guarded([this] { find(From::Next); }); });
    hide();
}

void GridFindBar::retranslate()
{
    lblFind->setText(GridToolTexts::text("lblFind"));
    btnFindPrev->setToolTip(GridToolTexts::text("btnFindPrev") + QStringLiteral(" (Shift+F3)"));
    btnFindNext->setToolTip(GridToolTexts::text("btnFindNext") + QStringLiteral(" (F3)"));
}

void GridFindBar::open()
{
    retranslate();
    setEnabled(m_grid->isEnabled());
    show();
    txtFind->selectAll();
    txtFind->setFocus(Qt::ShortcutFocusReason);
}

void GridFindBar::close()
{
    hide();
    setNote(QString());
    m_grid->setFocus(Qt::ShortcutFocusReason);
}

void GridFindBar::find(From from)
{
    SnapshotTable* table = m_grid->table();
    setNote(QString());
    if (!table || !table->active() || txtFind->text().isEmpty() || !isEnabled())
        return;
    // The grid's columns, as field indexes of the table, and the grid column of each.
    std::vector<int> fields;
    std::vector<int> columns;
    const std::vector<Field*>& all = table->fields();
    for (const int c : m_grid->shownColumns()) {
        const auto it = std::find(all.begin(), all.end(), table->findField(m_grid->gridModel()->fieldName(c)));
        if (it == all.end())
            continue;
        fields.push_back(int(it - all.begin()));
        columns.push_back(c);
    }
    const int current = table->recNo();
    const bool forward = from != From::Previous;
    const int start = from == From::Current ? qMax(current, 0) : current + (forward ? 1 : -1);
    const SnapshotTable::FindHit hit = table->findText(txtFind->text(), fields, start, forward);
    if (hit.row < 0) {
        setNote(GridToolTexts::text("lblNotFound"));
        return;
    }
    if (hit.wrapped)
        setNote(GridToolTexts::text(forward ? "lblWrappedToTop" : "lblWrappedToBottom"));
    const size_t column = size_t(std::find(fields.begin(), fields.end(), hit.fieldIndex) - fields.begin());
    // As a click on the cell: the grid's current cell moves, and with it the table's current row.
    m_grid->setCurrentIndex(m_grid->gridModel()->index(hit.row, columns[column]));
}

bool GridFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        switch (key->key()) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            guarded([&] { find(shift ? From::Previous : From::Next); });
            return true;
        case Qt::Key_F3:
            guarded([&] { find(shift ? From::Previous : From::Next); });
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GridFindBar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setNote(QString());
}

void GridFindBar::setNote(const QString& note)
{
    lblNote->setText(note);
    lblNote->setVisible(!note.isEmpty());
}
