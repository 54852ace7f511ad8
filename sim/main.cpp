// pravix-lcd-sim: a simulated Pravix display on a pseudo-terminal or a serial port, for demos,
// tests and bench rigs.

#include "consolestart.h"
#include "framelog.h"
#include "lcdslave.h"
#include "lineend.h"
#include "linepacer.h"
#include "openline.h"
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

void complain(const QString &message)
{
    std::fprintf(stderr, "pravix-lcd-sim: %s\n", qPrintable(message));
}

int fail(const QString &message)
{
    complain(message);
    return 1;
}

/*! A widget application, or a console one when no window is asked for or none can be shown;
 * *console says which. */
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[], bool *console)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    *console = consolestart::consoleOnly(arguments, lcdsim::addOptions,
                                         consolestart::Windows::Optional, lcdsim::noWindowOption);
    if (*console)
        return std::make_unique<QCoreApplication>(argc, argv);
    return std::make_unique<QApplication>(argc, argv);
}

void configure(lcdsim::Simulator &simulator, const lcdsim::SimOptions &options,
               const lcdsim::LineEnd &line)
{
    simulator.setMisbehaviour(options.misbehaviour);
    simulator.setTurnaround(options.turnaroundMs);
    if (options.silenceGapMs > 0)
        simulator.setSilenceGap(options.silenceGapMs);
    if (options.replay)
        simulator.setReplay(*options.replay);
    simulator.setLineReader([&line] { return line.lineSettings(); });
}

/*! Frames from the line go to the simulator, its echo and answers back through the pacer, so
 * that neither overtakes the other on the way out; a line that carries the wire time itself
 * takes each answer whole. The line follows the display when an image moves it. */
void connectLine(lcdsim::LineEnd &line, lcdsim::Simulator &simulator, lcdsim::LinePacer &pacer,
                 const lcdsim::LcdSlave &slave, lcdsim::FrameLog &log)
{
    using lcdsim::LinePacer;
    QObject::connect(&line, &lcdsim::LineEnd::received, &simulator, &lcdsim::Simulator::feed);
    QObject::connect(&simulator, &lcdsim::Simulator::answerReady, &pacer,
                     [&pacer, &line](const QByteArray &bytes, qint64 characterTimeNs) {
                         pacer.send(bytes, line.pacesItself() ? 0 : characterTimeNs);
                     });
    QObject::connect(&simulator, &lcdsim::Simulator::echoed, &pacer,
                     [&pacer](const QByteArray &bytes) { pacer.send(bytes, 0); });
    QObject::connect(&pacer, &LinePacer::bytesDue, &line, [&line, &log](const QByteArray &bytes) {
        if (!line.write(bytes))
            log.note(QStringLiteral("the line did not take the whole answer (is the master "
                                    "reading?)"));
    });
    QObject::connect(&slave, &lcdsim::LcdSlave::changed, &line,
                     [&line, &slave] { line.listenAt(slave.lineSettings()); });
}

//! Ends the event loop with status 1 when the line fails, and at 0 on SIGINT or SIGTERM.
void stopOnFailureOrSignal(const lcdsim::LineEnd &line, const lcdsim::StopSignals &stopSignals,
                           QCoreApplication &app, lcdsim::FrameLog &log)
{
    QObject::connect(&line, &lcdsim::LineEnd::failed, &app, [&app](const QString &reason) {
        complain(reason);
        app.exit(1);
    });
    QObject::connect(&stopSignals, &lcdsim::StopSignals::stopRequested, &app,
                     [&app, &log](int signalNumber) {
                         log.note(QStringLiteral("signal %1, stopping").arg(signalNumber));
                         app.quit();
                     });
}

QString startNote(const lcdsim::SimOptions &options, const lcdsim::LcdSlave &slave,
                  const lcdsim::Simulator &simulator)
{
    QString note = QStringLiteral("answering as slave %1 at %2; a frame ends after %3 ms of "
                                  "silence; answers start %4 ms after a request")
                       .arg(slave.slaveId())
                       .arg(slave.lineSettings().text())
                       .arg(simulator.silenceGap())
                       .arg(simulator.turnaround());
    if (!options.linkPath.isEmpty())
        note += QStringLiteral("; linked as ") + options.linkPath;
    if (options.replay)
        note += QStringLiteral("; replaying the %1 exchanges of %2")
                    .arg(options.replay->exchanges())
                    .arg(options.replayFile);
    const QString faults = options.misbehaviour.summary();
    if (!faults.isEmpty())
        note += QStringLiteral("; on purpose it ") + faults;
    return note;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("pravix-lcd-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PRAVIX_VERSION));

    bool console = false;
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv, &console);

    QCommandLineParser parser;
    lcdsim::addOptions(parser);
    parser.process(*app);
    QString error;
    const std::optional<lcdsim::SimOptions> options = lcdsim::readOptions(parser, &error);
    if (!options)
        return fail(error);
    const std::unique_ptr<lcdsim::LineEnd> line = lcdsim::openLine(*options, &error);
    if (!line)
        return fail(error);

    QFile standardOutput;
    if (!standardOutput.open(stdout, QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write to standard output"));
    lcdsim::FrameLog log(&standardOutput);
    // Scripts and tests read the device from this first line.
    log.line(QStringLiteral("device: ") + line->devicePath());

    lcdsim::LcdSlave slave(options->slaveId);
    slave.setLineSettings(options->line);
    lcdsim::Simulator simulator(slave, log);
    configure(simulator, *options, *line);
    lcdsim::LinePacer pacer;
    connectLine(*line, simulator, pacer, slave, log);
    lcdsim::StopSignals stopSignals;
    stopOnFailureOrSignal(*line, stopSignals, *app, log);
    log.note(startNote(*options, slave, simulator));

    std::unique_ptr<lcdsim::SimWindow> window;
    if (!console) {
        window =
            std::make_unique<lcdsim::SimWindow>(slave, line->devicePath(), options->misbehaviour);
        window->show();
    }
    return app->exec();
}
