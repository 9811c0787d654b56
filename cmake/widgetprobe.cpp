// Built only by the layering test, which expects this to fail: ryncore offers no widgets.
#include <QWidget>

int main()
{
    QWidget widget;
    return widget.isVisible() ? 1 : 0;
}
