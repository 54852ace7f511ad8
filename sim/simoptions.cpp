#include "simoptions.h"

#include "lcdslave.h"

#include <QCommandLineParser>
#include <QRandomGenerator>
#include <QtGlobal>

#include <limits>

namespace lcdsim {
namespace {

const QString idOption = QStringLiteral("id");
const QString linkOption = QStringLiteral("link");
const QString silentOption = QStringLiteral("silent");
const QString delayOption = QStringLiteral("delay");
const QString badCrcOption = QStringLiteral("bad-crc");
const QString truncateOption = QStringLiteral("truncate");
const QString gapOption = QStringLiteral("gap");
const QString noWindowOption = QStringLiteral("no-window");
const QString baudOption = QStringLiteral("baud");
const QString formatOption = QStringLiteral("format");
const QString turnaroundOption = QStringLiteral("turnaround");
const QString echoOption = QStringLiteral("echo");
const QString noiseOption = QStringLiteral("noise");
const QString seedOption = QStringLiteral("seed");

// Longest delay or gap accepted: a minute is far beyond any master's patience.
constexpr int longestWaitMs = 60000;

//! The option's value as a whole number within [lowest, highest], or std::nullopt.
std::optional<int> number(const QCommandLineParser &parser, const QString &name, int lowest,
                          int highest, QString *error)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (ok && value >= lowest && value <= highest)
        return value;
    *error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                 .arg(name)
                 .arg(lowest)
                 .arg(highest)
                 .arg(parser.value(name));
    return std::nullopt;
}

//! The line the display listens at, from --baud and --format.
std::optional<LineSettings> lineSettings(const QCommandLineParser &parser, QString *error)
{
    int rate = LineSettings().baudRate;
    if (parser.isSet(baudOption)) {
        bool ok = false;
        rate = parser.value(baudOption).toInt(&ok);
        if (!ok || !LineSettings::isStandardRate(rate)) {
            *error = QStringLiteral("--baud takes a standard rate from 300 to 115200, not \"%1\"")
                         .arg(parser.value(baudOption));
            return std::nullopt;
        }
    }
    const QString format =
        parser.isSet(formatOption) ? parser.value(formatOption) : QStringLiteral("8N1");
    const auto line = LineSettings::withFormat(rate, format);
    if (!line)
        *error = QStringLiteral("--format takes data bits 5 to 8, parity N, E or O and stop bits "
                                "1 or 2, such as 8N1, not \"%1\"")
                     .arg(format);
    return line;
}

} // namespace

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("A simulated 2 x 16 character LCD answering as a Modbus RTU slave on a "
                       "pseudo-terminal. The first line of output names the device to open."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {idOption, QStringLiteral("Answer as slave N (1 to 247, default 1)."), QStringLiteral("N")},
        {linkOption,
         QStringLiteral("Also make PATH a symbolic link to the device (removed at exit)."),
         QStringLiteral("PATH")},
        {silentOption, QStringLiteral("Never answer.")},
        {delayOption, QStringLiteral("Send every answer MS milliseconds late."),
         QStringLiteral("MS")},
        {badCrcOption, QStringLiteral("Send answers with a wrong CRC.")},
        {truncateOption, QStringLiteral("Send only the first K bytes of every answer."),
         QStringLiteral("K")},
        {gapOption,
         QStringLiteral("Line silence in MS milliseconds that ends a frame (default: 3.5 "
                        "characters at the line the display listens at, 4 ms at 9600 8N1)."),
         QStringLiteral("MS")},
        {baudOption,
         QStringLiteral("Listen at RATE baud until a configuration image says otherwise "
                        "(300 to 115200, default 9600)."),
         QStringLiteral("RATE")},
        {formatOption,
         QStringLiteral("Listen for characters of this format, such as 8N1, 8N2 or 8E1 (default "
                        "8N1)."),
         QStringLiteral("FORMAT")},
        {turnaroundOption,
         QStringLiteral("Start an answer MS milliseconds after the request's last byte (default "
                        "3)."),
         QStringLiteral("MS")},
        {echoOption,
         QStringLiteral("Send every byte straight back, as a two-wire adapter without echo "
                        "suppression does.")},
        {noiseOption,
         QStringLiteral("Flip one bit in each answer byte with probability P (0 to 1)."),
         QStringLiteral("P")},
        {seedOption,
         QStringLiteral("Start the noise from seed S, to repeat a run (default: a new seed each "
                        "run, shown at start)."),
         QStringLiteral("S")},
        {noWindowOption, QStringLiteral("Console only: no window, the log on standard output.")},
    });
}

std::optional<SimOptions> readOptions(const QCommandLineParser &parser, QString *error)
{
    if (!parser.positionalArguments().isEmpty()) {
        *error =
            QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return std::nullopt;
    }
    SimOptions options;
    if (parser.isSet(idOption)) {
        const auto id =
            number(parser, idOption, LcdSlave::firstSlaveId, LcdSlave::lastSlaveId, error);
        if (!id)
            return std::nullopt;
        options.slaveId = *id;
    }
    if (parser.isSet(delayOption)) {
        const auto delay = number(parser, delayOption, 0, longestWaitMs, error);
        if (!delay)
            return std::nullopt;
        options.misbehaviour.delayMs = *delay;
    }
    if (parser.isSet(truncateOption)) {
        const auto k = number(parser, truncateOption, 0, 255, error);
        if (!k)
            return std::nullopt;
        options.misbehaviour.truncateTo = *k;
    }
    if (parser.isSet(gapOption)) {
        const auto gap = number(parser, gapOption, 1, longestWaitMs, error);
        if (!gap)
            return std::nullopt;
        options.silenceGapMs = *gap;
    }
    if (parser.isSet(turnaroundOption)) {
        const auto turnaround = number(parser, turnaroundOption, 0, longestWaitMs, error);
        if (!turnaround)
            return std::nullopt;
        options.turnaroundMs = *turnaround;
    }
    const auto line = lineSettings(parser, error);
    if (!line)
        return std::nullopt;
    options.line = *line;
    if (parser.isSet(noiseOption)) {
        bool ok = false;
        const double noise = parser.value(noiseOption).toDouble(&ok);
        if (!ok || noise < 0 || noise > 1) {
            *error = QStringLiteral("--noise takes a probability from 0 to 1, not \"%1\"")
                         .arg(parser.value(noiseOption));
            return std::nullopt;
        }
        options.misbehaviour.noise = noise;
    }
    options.misbehaviour.noiseSeed = QRandomGenerator::global()->generate();
    if (parser.isSet(seedOption)) {
        bool ok = false;
        options.misbehaviour.noiseSeed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            *error = QStringLiteral("--seed takes a whole number from 0 to %1, not \"%2\"")
                         .arg(std::numeric_limits<quint32>::max())
                         .arg(parser.value(seedOption));
            return std::nullopt;
        }
    }
    if (parser.isSet(linkOption)) {
        options.linkPath = parser.value(linkOption);
        if (options.linkPath.isEmpty()) {
            *error = QStringLiteral("--link needs a path");
            return std::nullopt;
        }
    }
    options.misbehaviour.silent = parser.isSet(silentOption);
    options.misbehaviour.badCrc = parser.isSet(badCrcOption);
    options.misbehaviour.echo = parser.isSet(echoOption);
    return options;
}

bool consoleOnly(const QStringList &arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    parser.parse(arguments);
    if (parser.isSet(noWindowOption))
        return true;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return false;
#endif
}

} // namespace lcdsim
