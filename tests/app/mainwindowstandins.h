#pragma once
// What the main window's tests use beside the real windows: stand-ins for record windows (the
// child-window rule is the same for every class) and the captions of a menu.

#include <QAction>
#include <QCloseEvent>
#include <QStringList>
#include <QWidget>

class FormA : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    int closeEvents = 0;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        ++closeEvents;
        QWidget::closeEvent(e);
    }
};

class FormB : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
};

/// The captions of a menu's items, "-" for a separator.
inline QStringList captions(QWidget* menu)
{
    QStringList list;
    for (QAction* a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return list;
}
