#include "simoptions.h"

#include "lcdslave.h"

#include <QCommandLineParser>
#include <QtGlobal>

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
                        "characters at 9600 baud, 4 ms)."),
         QStringLiteral("MS")},
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
    if (parser.isSet(linkOption)) {
        options.linkPath = parser.value(linkOption);
        if (options.linkPath.isEmpty()) {
            *error = QStringLiteral("--link needs a path");
            return std::nullopt;
        }
    }
    options.misbehaviour.silent = parser.isSet(silentOption);
    options.misbehaviour.badCrc = parser.isSet(badCrcOption);
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
