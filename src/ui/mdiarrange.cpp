#include "mdiarrange.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {
int iconHeight(QMdiArea* area)
{
    for (QMdiSubWindow* sub : area->subWindowList())
        if (sub->isMinimized() && sub->isVisible())
            return sub->height();
    return 0;
}
} // namespace

void tileSubWindows(QMdiArea* area, TileMode mode)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect rect = area->viewport()->rect().adjusted(0, 0, 0, -iconHeight(area));
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows[i];
        if (sub->isMaximized())
            sub->showNormal();
        if (mode == TileMode::Horizontal) {
            const int top = rect.top() + rect.height() * i / n;
            const int bottom = rect.top() + rect.height() * (i + 1) / n;
            sub->setGeometry(rect.left(), top, rect.width(), bottom - top);
        } else {
            const int left = rect.left() + rect.width() * i / n;
            const int right = rect.left() + rect.width() * (i + 1) / n;
            sub->setGeometry(left, rect.top(), right - left, rect.height());
        }
    }
}

void arrangeIcons(QMdiArea* area)
{
    const QRect rect = area->viewport()->rect();
    int x = rect.left();
    int y = rect.bottom();
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized() || !sub->isVisible())
            continue;
        if (x > rect.left() && x + sub->width() > rect.right()) {
            x = rect.left();
            y -= sub->height();
        }
        sub->move(x, y - sub->height() + 1);
        x += sub->width();
    }
}
