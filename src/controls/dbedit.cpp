#include "dbedit.h"

#include "data/field.h"
#include "ui/guard.h"
#include "data/snapshottable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScopedValueRollback>

namespace {
const int kUnlimited = 32767;

// Swallows the mouse press that is on its way to target, and only that one: the next press the
// application delivers to a widget ends it either way.
class SwallowNextPress : public QObject
{
public:
    explicit SwallowNextPress(QWidget* target)
        : m_target(target)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType())
            return false;
        qApp->removeEventFilter(this);
        deleteLater();
        return watched == m_target;
    }

private:
    QPointer<QWidget> m_target;
};
} // namespace

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(&m_link, &FieldDataLink::changed, this, &DBEdit::reset);
    connect(&m_link, &FieldDataLink::rowValuesChanged, this, &DBEdit::softRefresh);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::dropRefusedCharacters);
    m_link.setUpdateHook([this] { updateRecord(); });
    reset();
}

void DBEdit::setDataSource(DataSource* source)
{
    m_link.setDataSource(source);
}

void DBEdit::setDataField(const QString& name)
{
    m_link.setFieldName(name);
}

void DBEdit::reset()
{
    Field* f = m_link.field();
    const QString text = f && m_link.hasRow() ? f->asString() : QString();
    int limit = kUnlimited;
    // A value longer than the field (read from a wider column) is still shown whole.
    if (f && f->type() == FieldType::Text && f->size() > 0)
        limit = qMax(f->size(), int(text.size()));
    setMaxLength(limit);
    setReadOnly(!m_link.canModify());
    setText(text);
}

void DBEdit::softRefresh()
{
    // Another field changed: what the user is typing here must survive until it is stored.
    if (!isModified())
        reset();
}

void DBEdit::updateRecord()
{
    if (!isModified())
        return;
    Field* f = m_link.field();
    if (!f || !m_link.canModify())
        return;
    f->setAsString(text());
    // Shown as the field holds it ("+7" becomes "7"), also when the value did not change.
    reset();
}

bool DBEdit::filtersCharacters() const
{
    Field* f = m_link.field();
    return f && f->isNumeric() && !isReadOnly();
}

bool DBEdit::acceptsCharacter(QChar c) const
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return true;
    if (c == QLatin1Char('+'))
        return true;
    Field* f = m_link.field();
    return c == QLatin1Char('-') && f && f->isSigned();
}

bool DBEdit::event(QEvent* event)
{
    // A window shortcut on Esc (the window's cancel button) would otherwise take the key before
    // the box sees it; with changes in the box, Esc belongs to the box.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && isModified()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && isModified()) {
        reset();
        selectAll();
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if (filtersCharacters() && !(event->modifiers() & commandKeys)) {
        for (const QChar c : event->text()) {
            if (c.isPrint() && !acceptsCharacter(c)) {
                QApplication::beep();
                event->accept();
                return;
            }
        }
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::dropRefusedCharacters(const QString& text)
{
    // Pasted, dropped or composed text reaches the box without a key press.
    if (!filtersCharacters())
        return;
    QString kept;
    kept.reserve(text.size());
    const int oldCursor = cursorPosition();
    int cursor = oldCursor;
    for (int i = 0; i < text.size(); ++i) {
        if (acceptsCharacter(text.at(i)))
            kept += text.at(i);
        else if (i < oldCursor)
            --cursor;
    }
    if (kept.size() == text.size())
        return;
    QApplication::beep();
    setText(kept);
    setModified(true);
    setCursorPosition(cursor);
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Another window, a menu or a message box taking the focus is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    // Hidden with its window, which is closing: nothing is stored then, and a value the field would
    // refuse is dropped with the rest of the row, as Cancel would drop it.
    if (!isVisible())
        return;
    QWidget* taker = event->reason() == Qt::MouseFocusReason ? QApplication::focusWidget() : nullptr;
    if (storeOnLeaving() || !taker)
        return;
    // The click that took the focus away must not act on a refused value: a click on Save would
    // only report the same value again.
    new SwallowNextPress(taker);
}

bool DBEdit::storeOnLeaving()
{
    if (m_storing || !isModified())
        return true;
    const QScopedValueRollback<bool> busy(m_storing, true);
    if (guarded([this] { updateRecord(); }))
        return true;
    // The text was refused: the user stays in the box, with what was typed, to correct it.
    setFocus(Qt::OtherFocusReason);
    selectAll();
    return false;
}
