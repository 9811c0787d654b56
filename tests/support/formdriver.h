#pragma once
// Driving record windows as a user would: typing, Enter, clicking, and reading the grid.

#include <QString>
#include <QStringList>

class QAbstractItemView;
class QWidget;

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
} // namespace FormDriver
