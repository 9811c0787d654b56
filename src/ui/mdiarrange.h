#pragma once
// Window arrangements of a multiple-document area that Qt's area lacks: tiling in rows or columns
// and lining up the icons of minimised windows.

class QMdiArea;

enum class TileMode { Horizontal = 0, Vertical = 1 };

/// Horizontal: each window as wide as the area, one above the other; vertical: side by side.
/// Minimised windows stay minimised and keep the bottom strip free.
void tileSubWindows(QMdiArea* area, TileMode mode);
/// Lines up the minimised windows along the bottom edge of the area, left to right.
void arrangeIcons(QMdiArea* area);
