// The smallest Qt Widgets program that shows a window: what starting Qt costs by itself, against
// which bench/windowstartup.sh sets PravixApp's start-up.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(682, 465);
    window.show();
    return QApplication::exec();
}
