#include "propertypath.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <functional>
#include <limits>
#include <optional>

namespace {

struct Segment {
    QString name;
    qsizetype index = -1; ///< -1: no index
};

struct Accessor {
    std::function<QString()> get;
    std::function<bool(const QString&)> set;
};

std::optional<Segment> parseSegment(const QString& text)
{
    Segment s;
    const qsizetype bracket = text.indexOf(QLatin1Char('['));
    if (bracket < 0) {
        s.name = text;
        return s.name.isEmpty() ? std::nullopt : std::optional<Segment>(s);
    }
    if (bracket == 0 || !text.endsWith(QLatin1Char(']')) || text.size() - bracket < 3)
        return std::nullopt;
    s.name = text.left(bracket);
    const QString digits = text.mid(bracket + 1, text.size() - bracket - 2);
    qint64 index = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        index = index * 10 + (c.unicode() - '0');
        if (index > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    s.index = qsizetype(index);
    return s;
}

QStringList splitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

// Qt widgets break lines at LF alone; a CR would show as a stray glyph or blank.
QString widgetText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return out;
}

QMetaProperty metaProperty(const QObject* object, const QString& name)
{
    const QMetaObject* meta = object->metaObject();
    const int index = meta->indexOfProperty(name.toUtf8().constData());
    return index < 0 ? QMetaProperty() : meta->property(index);
}

bool isText(const QMetaProperty& p)
{
    const int type = p.metaType().id();
    return type == QMetaType::QString || type == QMetaType::QStringList;
}

// A string or string-list Q_PROPERTY; a string list reads and writes as one text in lines.
std::optional<Accessor> qtProperty(QObject* object, const QString& name, bool forWidget)
{
    const QMetaProperty p = metaProperty(object, name);
    if (!p.isValid() || !p.isReadable() || !isText(p))
        return std::nullopt;
    const bool isList = p.metaType().id() == QMetaType::QStringList;
    Accessor a;
    a.get = [object, p, isList] {
        const QVariant v = p.read(object);
        return isList ? v.toStringList().join(QLatin1String("\r\n")) : v.toString();
    };
    a.set = [object, p, isList, forWidget](const QString& value) {
        if (!p.isWritable())
            return false;
        if (isList)
            return p.write(object, splitLines(value));
        return p.write(object, forWidget ? widgetText(value) : value);
    };
    return a;
}

std::optional<Accessor> mappedProperty(QObject* object, const QString& name, bool asWindow)
{
    auto* widget = qobject_cast<QWidget*>(object);
    const char* qtName = nullptr;
    if (name == QLatin1String("Caption")) {
        if (qobject_cast<QMenu*>(object) || qobject_cast<QGroupBox*>(object))
            qtName = "title";
        else if (qobject_cast<QAction*>(object) || qobject_cast<QLabel*>(object)
                 || qobject_cast<QAbstractButton*>(object))
            qtName = "text";
        else if (widget && (asWindow || widget->isWindow()))
            qtName = "windowTitle";
    } else if (name == QLatin1String("Hint")) {
        if (widget || qobject_cast<QAction*>(object))
            qtName = "toolTip";
    } else if (name == QLatin1String("Text")) {
        qtName = "text";
    } else if (name == QLatin1String("Lines")) {
        qtName = qobject_cast<QPlainTextEdit*>(object) || qobject_cast<QTextEdit*>(object) ? "plainText" : "text";
    } else if (name == QLatin1String("EditMask")) {
        if (qobject_cast<QLineEdit*>(object))
            qtName = "inputMask";
    }
    if (!qtName)
        return std::nullopt;
    return qtProperty(object, QLatin1String(qtName), true);
}

std::optional<Accessor> itemProperty(QObject* object, const QString& name, int index)
{
    const QMetaProperty p = metaProperty(object, name);
    if (p.isValid() && p.isReadable() && p.metaType().id() == QMetaType::QStringList) {
        if (index >= p.read(object).toStringList().size())
            return std::nullopt;
        Accessor a;
        a.get = [object, p, index] { return p.read(object).toStringList().value(index); };
        a.set = [object, p, index](const QString& value) {
            QStringList list = p.read(object).toStringList();
            if (!p.isWritable() || index >= list.size())
                return false;
            list[index] = value;
            return p.write(object, list);
        };
        return a;
    }
    if (name != QLatin1String("Items"))
        return std::nullopt;
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        if (index >= combo->count())
            return std::nullopt;
        return Accessor{[combo, index] { return combo->itemText(index); },
                        [combo, index](const QString& value) {
                            if (index >= combo->count())
                                return false;
                            combo->setItemText(index, widgetText(value));
                            return true;
                        }};
    }
    if (auto* list = qobject_cast<QListWidget*>(object)) {
        if (!list->item(index))
            return std::nullopt;
        return Accessor{[list, index] { return list->item(index)->text(); },
                        [list, index](const QString& value) {
                            QListWidgetItem* item = list->item(index);
                            if (!item)
                                return false;
                            item->setText(widgetText(value));
                            return true;
                        }};
    }
    return std::nullopt;
}

// The object that a non-final segment names: a QObject-valued property (or item i of a list of
// objects), else a direct child of that name.
QObject* heldObject(QObject* object, const Segment& segment)
{
    const QMetaProperty p = metaProperty(object, segment.name);
    if (p.isValid() && p.isReadable()) {
        const QVariant v = p.read(object);
        if (segment.index < 0) {
            if (v.metaType().flags() & QMetaType::PointerToQObject)
                return qvariant_cast<QObject*>(v);
            return nullptr;
        }
        if (!v.canConvert<QVariantList>())
            return nullptr;
        const QVariantList items = v.value<QVariantList>();
        if (segment.index >= items.size())
            return nullptr;
        const QVariant item = items.at(segment.index);
        return item.metaType().flags() & QMetaType::PointerToQObject ? qvariant_cast<QObject*>(item) : nullptr;
    }
    if (segment.index >= 0)
        return nullptr;
    return object->findChild<QObject*>(segment.name, Qt::FindDirectChildrenOnly);
}

std::optional<Accessor> resolve(QObject* object, const QString& path, bool asWindow)
{
    if (!object || path.isEmpty())
        return std::nullopt;
    const QStringList parts = path.split(QLatin1Char('.'));
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        const std::optional<Segment> segment = parseSegment(parts.at(i));
        if (!segment)
            return std::nullopt;
        object = heldObject(object, *segment);
        if (!object)
            return std::nullopt;
        asWindow = false;
    }
    const std::optional<Segment> last = parseSegment(parts.last());
    if (!last)
        return std::nullopt;
    if (last->index >= 0)
        return itemProperty(object, last->name, int(last->index));
    if (std::optional<Accessor> own = qtProperty(object, last->name, false))
        return own;
    return mappedProperty(object, last->name, asWindow);
}

} // namespace

bool PropertyPath::read(QObject* object, const QString& path, QString* value, bool asWindow)
{
    const std::optional<Accessor> a = resolve(object, path, asWindow);
    if (!a)
        return false;
    if (value)
        *value = a->get();
    return true;
}

bool PropertyPath::write(QObject* object, const QString& path, const QString& value, bool asWindow)
{
    const std::optional<Accessor> a = resolve(object, path, asWindow);
    return a && a->set(value);
}
