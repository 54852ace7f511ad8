#include "simoptions.h"

#include "lcdslave.h"
#include "trafficcsvreader.h"

#include <QCommandLineParser>
#include <QRandomGenerator>

#include <functional>
#include <limits>
#include <vector>

namespace lcdsim {

const QString noWindowOption = QStringLiteral("no-window");

namespace {

const QString portOption = QStringLiteral("port");
const QString linkOption = QStringLiteral("link");

// Longest delay or gap accepted: a minute is far beyond any master's patience.
constexpr int longestWaitMs = 60000;

/*! One option: how it is declared, and how its value, once given, reaches the options; false
 * with the reason in *error for a value out of range. A switch ignores the value; an option
 * read before the application starts has no reader here. */
struct OptionRule
{
    QCommandLineOption option;
    std::function<bool(const QString &value, SimOptions &options, QString *error)> read;
};

//! A whole number from lowest to highest, handed to store.
OptionRule wholeNumber(const QString &name, const QString &description, const QString &valueName,
                       int lowest, int highest, void (*store)(SimOptions &, int))
{
    return {QCommandLineOption(name, description, valueName),
            [=](const QString &value, SimOptions &options, QString *error) {
                bool ok = false;
                const int number = value.toInt(&ok);
                if (!ok || number < lowest || number > highest) {
                    *error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                                 .arg(name)
                                 .arg(lowest)
                                 .arg(highest)
                                 .arg(value);
                    return false;
                }
                store(options, number);
                return true;
            }};
}

//! A switch that turns on one of the faults.
OptionRule fault(const QString &name, const QString &description, bool Misbehaviour::*flag)
{
    return {QCommandLineOption(name, description),
            [flag](const QString &, SimOptions &options, QString *) {
                options.misbehaviour.*flag = true;
                return true;
            }};
}

//! A name that must not be empty, handed to store.
OptionRule name(const QString &option, const QString &description, const QString &valueName,
                QString SimOptions::*store)
{
    return {QCommandLineOption(option, description, valueName),
            [option, store](const QString &value, SimOptions &options, QString *error) {
                if (value.isEmpty()) {
                    *error = QStringLiteral("--%1 cannot be empty").arg(option);
                    return false;
                }
                options.*store = value;
                return true;
            }};
}

bool readBaud(const QString &value, SimOptions &options, QString *error)
{
    bool ok = false;
    const int rate = value.toInt(&ok);
    if (!ok || !LineSettings::isStandardRate(rate)) {
        *error = QStringLiteral("--baud takes a standard rate from 300 to 115200, not \"%1\"")
                     .arg(value);
        return false;
    }
    options.line.baudRate = rate;
    return true;
}

bool readFormat(const QString &value, SimOptions &options, QString *error)
{
    const auto line = LineSettings::withFormat(options.line.baudRate, value);
    if (!line) {
        *error = QStringLiteral("--format takes data bits 5 to 8, parity N, E or O and stop bits "
                                "1 or 2, such as 8N1, not \"%1\"")
                     .arg(value);
        return false;
    }
    options.line = *line;
    return true;
}

bool readNoise(const QString &value, SimOptions &options, QString *error)
{
    bool ok = false;
    const double noise = value.toDouble(&ok);
    if (!ok || noise < 0 || noise > 1) {
        *error = QStringLiteral("--noise takes a probability from 0 to 1, not \"%1\"").arg(value);
        return false;
    }
    options.misbehaviour.noise = noise;
    return true;
}

bool readSeed(const QString &value, SimOptions &options, QString *error)
{
    bool ok = false;
    options.misbehaviour.noiseSeed = value.toUInt(&ok);
    if (!ok)
        *error = QStringLiteral("--seed takes a whole number from 0 to %1, not \"%2\"")
                     .arg(std::numeric_limits<quint32>::max())
                     .arg(value);
    return ok;
}

bool readReplay(const QString &value, SimOptions &options, QString *error)
{
    QString reason;
    const std::optional<QList<TrafficRecord>> records = trafficcsv::readFile(value, &reason);
    if (!records) {
        *error = QStringLiteral("--replay: ") + reason;
        return false;
    }
    options.replay = Replay(*records);
    options.replayFile = value;
    return true;
}

const std::vector<OptionRule> &rules()
{
    static const std::vector<OptionRule> table = {
        wholeNumber(QStringLiteral("id"),
                    QStringLiteral("Answer as slave N (1 to 247, default 1)."), QStringLiteral("N"),
                    LcdSlave::firstSlaveId, LcdSlave::lastSlaveId,
                    [](SimOptions &o, int n) { o.slaveId = n; }),
        name(portOption,
             QStringLiteral("Play the display on the serial port NAME (COM11, /dev/ttyUSB1) "
                            "instead of on a pseudo-terminal."),
             QStringLiteral("NAME"), &SimOptions::portName),
        name(linkOption,
             QStringLiteral("Also make PATH a symbolic link to the pseudo-terminal (removed at "
                            "exit)."),
             QStringLiteral("PATH"), &SimOptions::linkPath),
        fault(QStringLiteral("silent"), QStringLiteral("Never answer."), &Misbehaviour::silent),
        wholeNumber(QStringLiteral("delay"),
                    QStringLiteral("Send every answer MS milliseconds late."), QStringLiteral("MS"),
                    0, longestWaitMs, [](SimOptions &o, int n) { o.misbehaviour.delayMs = n; }),
        wholeNumber(QStringLiteral("split"),
                    QStringLiteral("Send the first half of every answer, the rest MS "
                                   "milliseconds later, as an adapter delivering in bursts."),
                    QStringLiteral("MS"), 0, longestWaitMs,
                    [](SimOptions &o, int n) { o.misbehaviour.splitMs = n; }),
        fault(QStringLiteral("bad-crc"), QStringLiteral("Send answers with a wrong CRC."),
              &Misbehaviour::badCrc),
        wholeNumber(QStringLiteral("truncate"),
                    QStringLiteral("Send only the first K bytes of every answer."),
                    QStringLiteral("K"), 0, 255,
                    [](SimOptions &o, int n) { o.misbehaviour.truncateTo = n; }),
        wholeNumber(QStringLiteral("gap"),
                    QStringLiteral("Line silence in MS milliseconds that ends a frame (default: "
                                   "3.5 characters at the line the display listens at, 4 ms at "
                                   "9600 8N1)."),
                    QStringLiteral("MS"), 1, longestWaitMs,
                    [](SimOptions &o, int n) { o.silenceGapMs = n; }),
        {QCommandLineOption(QStringLiteral("baud"),
                            QStringLiteral("Listen at RATE baud until a configuration image says "
                                           "otherwise (300 to 115200, default 9600)."),
                            QStringLiteral("RATE")),
         readBaud},
        {QCommandLineOption(QStringLiteral("format"),
                            QStringLiteral("Listen for characters of this format, such as 8N1, "
                                           "8N2 or 8E1 (default 8N1). A pseudo-terminal carries "
                                           "no parity, so there a master at another parity is "
                                           "answered all the same."),
                            QStringLiteral("FORMAT")),
         readFormat},
        wholeNumber(QStringLiteral("turnaround"),
                    QStringLiteral("Start an answer MS milliseconds after the request's last byte "
                                   "(default 3)."),
                    QStringLiteral("MS"), 0, longestWaitMs,
                    [](SimOptions &o, int n) { o.turnaroundMs = n; }),
        fault(QStringLiteral("echo"),
              QStringLiteral("Send every byte straight back, as a two-wire adapter without echo "
                             "suppression does."),
              &Misbehaviour::echo),
        {QCommandLineOption(QStringLiteral("noise"),
                            QStringLiteral("Flip one bit in each answer byte with probability P "
                                           "(0 to 1)."),
                            QStringLiteral("P")),
         readNoise},
        {QCommandLineOption(QStringLiteral("seed"),
                            QStringLiteral("Start the noise from seed S, to repeat a run "
                                           "(default: a new seed each run, shown at start)."),
                            QStringLiteral("S")),
         readSeed},
        {QCommandLineOption(QStringLiteral("replay"),
                            QStringLiteral("Answer each request as the traffic CSV FILE (a "
                                           "pravixctl or pravixapp log, or a saved history) "
                                           "recorded it: its received bytes, or silence, at its "
                                           "first- and last-byte times. Requests are matched by "
                                           "their bytes in the log's order; one the rest of the "
                                           "log does not hold gets no answer."),
                            QStringLiteral("FILE")),
         readReplay},
        {QCommandLineOption(noWindowOption,
                            QStringLiteral("Console only: no window, the log on standard "
                                           "output.")),
         nullptr},
    };
    return table;
}

} // namespace

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("A simulated 2 x 16 character LCD answering as a Modbus RTU slave on a "
                       "pseudo-terminal, or with --port on a serial port. The first line of "
                       "output names the device to open."));
    parser.addHelpOption();
    parser.addVersionOption();
    for (const OptionRule &rule : rules())
        parser.addOption(rule.option);
}

std::optional<SimOptions> readOptions(const QCommandLineParser &parser, QString *error)
{
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }
    SimOptions options;
    options.misbehaviour.noiseSeed = QRandomGenerator::global()->generate();
    for (const OptionRule &rule : rules()) {
        const QString option = rule.option.names().constFirst();
        if (rule.read && parser.isSet(option) && !rule.read(parser.value(option), options, error))
            return std::nullopt;
    }
    // The log holds what the line did, faults and all; more on top would not be the field's.
    if (options.replay && !options.misbehaviour.summary().isEmpty()) {
        *error = QStringLiteral("--replay answers as the log recorded; it takes none of the "
                                "faults (%1)")
                     .arg(options.misbehaviour.summary());
        return std::nullopt;
    }
    if (parser.isSet(portOption) && parser.isSet(linkOption)) {
        *error = QStringLiteral("--link names a pseudo-terminal; a serial port has a name of its "
                                "own");
        return std::nullopt;
    }
    return options;
}

} // namespace lcdsim
