// pravix-lcd-sim: a simulated Pravix display on a pseudo-terminal, for demos and tests.

#include "framelog.h"
#include "lcdslave.h"
#include "linepacer.h"
#include "pseudoterminal.h"
#include "simoptions.h"
#include "simulator.h"
#include "simwindow.h"
#include "stopsignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <memory>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "pravix-lcd-sim: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("pravix-lcd-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PRAVIX_VERSION));

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool console = lcdsim::consoleOnly(arguments);
    std::unique_ptr<QCoreApplication> app;
    if (console)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);

    QCommandLineParser parser;
    lcdsim::addOptions(parser);
    parser.process(*app);
    QString error;
    const std::optional<lcdsim::SimOptions> options = lcdsim::readOptions(parser, &error);
    if (!options)
        return fail(error);

    lcdsim::PseudoTerminal terminal;
    if (!terminal.open(options->line, &error))
        return fail(error);
    if (!options->linkPath.isEmpty() && !terminal.makeLink(options->linkPath, &error))
        return fail(error);

    QFile standardOutput;
    if (!standardOutput.open(stdout, QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write to standard output"));
    lcdsim::FrameLog log(&standardOutput);
    // Scripts and tests read the device from this first line.
    log.line(QStringLiteral("device: ") + terminal.devicePath());

    lcdsim::LcdSlave slave(options->slaveId);
    slave.setLineSettings(options->line);
    lcdsim::Simulator simulator(slave, log);
    simulator.setMisbehaviour(options->misbehaviour);
    simulator.setTurnaround(options->turnaroundMs);
    if (options->silenceGapMs > 0)
        simulator.setSilenceGap(options->silenceGapMs);
    simulator.setLineReader([&terminal] { return terminal.lineSettings(); });

    // Echo and answers share the pacer, so that neither overtakes the other on the way out.
    lcdsim::LinePacer pacer;
    QObject::connect(&terminal, &lcdsim::PseudoTerminal::received, &simulator,
                     &lcdsim::Simulator::feed);
    QObject::connect(&simulator, &lcdsim::Simulator::answerReady, &pacer, &lcdsim::LinePacer::send);
    QObject::connect(&simulator, &lcdsim::Simulator::echoed, &pacer,
                     [&pacer](const QByteArray &bytes) { pacer.send(bytes, 0); });
    QObject::connect(&pacer, &lcdsim::LinePacer::bytesDue, &terminal,
                     [&terminal, &log](const QByteArray &bytes) {
                         if (!terminal.write(bytes))
                             log.note(QStringLiteral("the line did not take the whole answer "
                                                     "(is the master reading?)"));
                     });
    QObject::connect(&terminal, &lcdsim::PseudoTerminal::failed, app.get(),
                     [&app, &log](const QString &reason) {
                         log.note(reason);
                         app->exit(1);
                     });

    lcdsim::StopSignals stopSignals;
    QObject::connect(&stopSignals, &lcdsim::StopSignals::stopRequested, app.get(),
                     [&app, &log](int signalNumber) {
                         log.note(QStringLiteral("signal %1, stopping").arg(signalNumber));
                         app->quit();
                     });

    QString started = QStringLiteral("answering as slave %1 at %2; a frame ends after %3 ms of "
                                     "silence; answers start %4 ms after a request")
                          .arg(slave.slaveId())
                          .arg(slave.lineSettings().text())
                          .arg(simulator.silenceGap())
                          .arg(simulator.turnaround());
    if (!options->linkPath.isEmpty())
        started += QStringLiteral("; linked as ") + options->linkPath;
    const QString faults = options->misbehaviour.summary();
    if (!faults.isEmpty())
        started += QStringLiteral("; on purpose it ") + faults;
    log.note(started);

    std::unique_ptr<lcdsim::SimWindow> window;
    if (!console) {
        window = std::make_unique<lcdsim::SimWindow>(slave, terminal.devicePath(),
                                                     options->misbehaviour);
        window->show();
    }
    return app->exec();
}
