#pragma once
// Driving record windows as a user would: typing, Enter, clicking, and reading the grid.

#include <QList>
#include <QString>
#include <QStringList>

class QAbstractItemView;
class QWidget;
class RecordWindow;

namespace FormDriver {
/// Shows a window at a working size and waits until it is the active window.
void show(QWidget* window);
/// Gives the box the focus, selects what it shows and types text over it.
void typeInto(QWidget* box, const QString& text);
/// Types text into the widget key by key, Chinese characters included.
void typeText(QWidget* widget, const QString& text);
/// Enter on whatever has the focus.
void pressEnter();
void click(QWidget* button);
/// The texts of one column of a grid, top to bottom.
QStringList column(QAbstractItemView* grid, int column);
/// The widget that has the keyboard focus.
QWidget* focused();
/// Where a record window departs from the frame's enabling rule, empty where it follows it. While
/// its table is edited, Save, Cancel and the inputs are enabled and the other buttons and the grids
/// are not; in browse it is the other way round, with Edit and Delete only when there are rows. off
/// names the buttons the window keeps disabled (those it hides).
QString frameRuleBroken(const RecordWindow* window, bool editing, const QList<QWidget*>& inputs,
                        const QList<QWidget*>& grids, bool hasRows = true, const QList<QWidget*>& off = {});
} // namespace FormDriver
