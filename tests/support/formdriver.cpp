#include "formdriver.h"

#include "forms/recordwindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

void FormDriver::show(QWidget* window)
{
    window->resize(900, 600);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("%s did not become the active window", qPrintable(window->objectName()));
}

void FormDriver::typeInto(QWidget* box, const QString& text)
{
    box->setFocus(Qt::MouseFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(box))
        edit->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
}

void FormDriver::typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void FormDriver::pressEnter()
{
    QWidget* target = QApplication::focusWidget();
    if (target)
        QTest::keyClick(target, Qt::Key_Return);
}

void FormDriver::click(QWidget* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList FormDriver::column(QAbstractItemView* grid, int column)
{
    QStringList texts;
    const QAbstractItemModel* model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->data(model->index(row, column)).toString();
    return texts;
}

QWidget* FormDriver::focused()
{
    return QApplication::focusWidget();
}

QString FormDriver::frameRuleBroken(const RecordWindow* window, bool editing, const QList<QWidget*>& inputs,
                                    const QList<QWidget*>& grids, bool hasRows, const QList<QWidget*>& off)
{
    QList<QPair<QWidget*, bool>> rule{
        {window->btnPost, editing},  {window->btnCancel, editing},           {window->btnAdd, !editing},
        {window->btnExit, !editing}, {window->btnEdit, !editing && hasRows}, {window->btnDelete, !editing && hasRows}};
    for (QWidget* input : inputs)
        rule.append({input, editing});
    for (QWidget* grid : grids)
        rule.append({grid, !editing});
    QStringList broken;
    for (const auto& [widget, enabled] : rule) {
        const bool wanted = enabled && !off.contains(widget);
        if (widget->isEnabled() != wanted)
            broken << widget->objectName() + (wanted ? QStringLiteral(" disabled") : QStringLiteral(" enabled"));
    }
    return broken.join(QStringLiteral(", "));
}
