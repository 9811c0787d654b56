#include "childframe.h"

#include <QMdiSubWindow>

QWidget* childFrame(QWidget* form)
{
    QWidget* parent = form->parentWidget();
    return qobject_cast<QMdiSubWindow*>(parent) ? parent : form;
}
