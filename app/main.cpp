#include "appearance.h"
#include "commandline.h"
#include "consolestart.h"
#include "frmmain.h"
#include "trafficlog.h"
#include "trafficrecorder.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("PravixApp"));
    QCoreApplication::setApplicationVersion(commandline::versionText());

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Help and version are answered without a window system, so they work over ssh too.
    std::unique_ptr<QCoreApplication> app;
    if (consolestart::consoleOnly(arguments, commandline::addOptions,
                                  consolestart::Windows::Needed))
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    QCommandLineParser parser;
    commandline::addOptions(parser);
    parser.process(*app);
    const auto complain = [](const QString &error) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(error));
    };
    QString error;
    std::unique_ptr<TrafficLog> log;
    if (!commandline::apply(parser, &error) || !commandline::openLog(parser, &log, &error)) {
        complain(error);
        return 1;
    }

    // Ties the windows to the installed desktop entry (its icon and name in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral(PRAVIX_APP_ID));
    appearance::registerTahoma();
    frmMain window;
    if (log) {
        window.recorder().setLog(std::move(log));
        QObject::connect(&window.recorder(), &TrafficRecorder::logFailed,
                         [complain](const QString &reason) {
                             complain(QStringLiteral("Stopped writing the log %1.").arg(reason));
                         });
    }
    window.show();
    return QCoreApplication::exec();
}
