#include "appearance.h"
#include "frmmain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    appearance::registerTahoma();
    frmMain window;
    window.show();
    return QApplication::exec();
}
