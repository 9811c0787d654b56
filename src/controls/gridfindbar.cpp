#include "gridfindbar.h"

#include "dbgrid.h"
#include "gridtooltexts.h"
#include "ui/guard.h"
#include "ui/inputmethod.h"
#include "ui/keypreview.h"

#include <QHBoxLayout>
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
    btnFindPrev = new QPushButton(this);
    btnFindPrev->setObjectName(QStringLiteral("btnFindPrev"));
    btnFindNext = new QPushButton(this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    for (QPushButton* b : {btnFindPrev, btnFindNext}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
    }
    lblNote = new QLabel(this);
    lblNote->setObjectName(QStringLiteral("lblNote"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(lblFind);
    layout->addWidget(txtFind, 1);
    layout->addWidget(btnFindPrev);
    layout->addWidget(btnFindNext);
    layout->addWidget(lblNote, 1);
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
    btnFindPrev->setText(GridToolTexts::text("btnFindPrev") + QStringLiteral(" (Shift+F3)"));
    btnFindNext->setText(GridToolTexts::text("btnFindNext") + QStringLiteral(" (F3)"));
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
    lblNote->clear();
    m_grid->setFocus(Qt::ShortcutFocusReason);
}

void GridFindBar::find(From from)
{
    SnapshotTable* table = m_grid->table();
    lblNote->clear();
    if (!table || !table->active() || txtFind->text().isEmpty() || !isEnabled())
        return;
    // The grid's columns, as field indexes of the table, and the grid column of each.
    std::vector<int> fields;
    std::vector<int> columns;
    const std::vector<Field*>& all = table->fields();
    for (int c = 0; c < m_grid->gridModel()->columnCount(); ++c) {
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
        lblNote->setText(GridToolTexts::text("lblNotFound"));
        return;
    }
    if (hit.wrapped)
        lblNote->setText(GridToolTexts::text(forward ? "lblWrappedToTop" : "lblWrappedToBottom"));
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
        lblNote->clear();
}
