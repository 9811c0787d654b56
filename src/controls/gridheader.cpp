#include "gridheader.h"

#include "ui/inputmethod.h"
#include "ui/keypreview.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

GridHeader::GridHeader(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsMovable(true);
    // Esc and Enter in a box belong to the box.
    keepOwnKeys(this);
    connect(this, &QHeaderView::sectionResized, this, &GridHeader::placeBoxes);
    connect(this, &QHeaderView::sectionMoved, this, &GridHeader::placeBoxes);
    connect(this, &QHeaderView::geometriesChanged, this, &GridHeader::placeBoxes);
    connect(this, &QHeaderView::sectionCountChanged, this, [this] {
        if (m_filterRowShown)
            makeBoxes();
    });
}

int GridHeader::boxHeight() const
{
    return fontMetrics().height() + 8;
}

QSize GridHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (m_filterRowShown)
        size.rheight() += boxHeight();
    return size;
}

void GridHeader::setFilterRowShown(bool shown)
{
    if (shown == m_filterRowShown)
        return;
    m_filterRowShown = shown;
    bool hadText = false;
    if (shown) {
        makeBoxes();
    } else {
        for (QLineEdit* box : std::as_const(m_boxes)) {
            hadText = hadText || !box->text().isEmpty();
            box->clear();
            box->hide();
        }
    }
    updateGeometry();
    // The view lays itself out again from the new height.
    emit geometriesChanged();
    placeBoxes();
    emit filterRowToggled(shown);
    if (hadText)
        emit filterEdited();
}

void GridHeader::makeBoxes()
{
    while (m_boxes.size() > count())
        delete m_boxes.takeLast();
    while (m_boxes.size() < count()) {
        auto* box = new QLineEdit(viewport());
        box->setObjectName(QStringLiteral("txtFilter%1").arg(m_boxes.size()));
        box->setClearButtonEnabled(true);
        setImeMode(box, ImeMode::Open);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, &GridHeader::filterEdited);
        m_boxes.append(box);
    }
    placeBoxes();
}

void GridHeader::placeBoxes()
{
    const int top = QHeaderView::sizeHint().height();
    for (int logical = 0; logical < m_boxes.size(); ++logical) {
        QLineEdit* box = m_boxes.at(logical);
        const bool shown = m_filterRowShown && logical < count() && !isSectionHidden(logical);
        box->setVisible(shown);
        if (shown)
            box->setGeometry(sectionViewportPosition(logical), top, sectionSize(logical), boxHeight());
    }
}

QLineEdit* GridHeader::filterBox(int logical) const
{
    return logical >= 0 && logical < m_boxes.size() ? m_boxes.at(logical) : nullptr;
}

QStringList GridHeader::filterTexts() const
{
    QStringList texts;
    for (int logical = 0; logical < count(); ++logical)
        texts << (m_filterRowShown && logical < m_boxes.size() ? m_boxes.at(logical)->text() : QString());
    return texts;
}

void GridHeader::clearFilterBox(int logical)
{
    if (QLineEdit* box = filterBox(logical))
        box->clear();
}

void GridHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // The titles keep their own height; the boxes cover the rest.
    QRect title = rect;
    if (m_filterRowShown)
        title.setHeight(rect.height() - boxHeight());
    QHeaderView::paintSection(painter, title, logicalIndex);
}

bool GridHeader::viewportEvent(QEvent* event)
{
    // A press on a box's strip is not a press on the title above it.
    if (m_filterRowShown
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->position().y() >= QHeaderView::sizeHint().height())
            return true;
    }
    return QHeaderView::viewportEvent(event);
}

bool GridHeader::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        if (box && key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            box->clear();
            return true;
        }
        // The key that shows the row hides it again from inside it.
        if (box && key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_F)) {
            setFilterRowShown(false);
            return true;
        }
    }
    return QHeaderView::eventFilter(watched, event);
}
