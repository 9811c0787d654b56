#include "app/appsetup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication();
    return 0;
}
