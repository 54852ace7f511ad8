#include "ctlarguments.h"

#include "configimage.h"
#include "cp1252.h"
#include "numbertext.h"
#include "probe.h"
#include "scanlists.h"
#include "serialsettings.h"
#include "settingsoption.h"
#include "storedline.h"
#include "writecommands.h"

#include <algorithm>
#include <vector>

namespace ctl {
namespace {

//! Thrown inside the parser only: the one line that tells the user what was wrong.
struct UsageError
{
    QString text;
};

[[noreturn]] void refuse(const QString &text)
{
    throw UsageError{text};
}

//! Decimal digits, or with \a hexAllowed also "0x" and hexadecimal digits; at most 9 digits.
std::optional<qint64> number(const QString &text, bool hexAllowed)
{
    const bool hex = hexAllowed && text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive);
    constexpr int longestDigits = 9;
    return numbertext::digits(hex ? text.mid(2) : text, longestDigits, hex ? 16 : 10);
}

//! A number within first-last; \a what names it in the error ("--port", "send06: ADDRESS").
int numberIn(const QString &what, const QString &text, int first, int last, bool hexAllowed)
{
    const std::optional<qint64> value = number(text, hexAllowed);
    const QString range = QStringLiteral("%1-%2").arg(first).arg(last);
    if (!value)
        refuse(QStringLiteral("%1 %2 is not a number; allowed: %3%4")
                   .arg(what, text, range,
                        hexAllowed ? QStringLiteral(", decimal or 0x hex") : QString()));
    if (*value < first || *value > last)
        refuse(QStringLiteral("%1 %2 is outside %3").arg(what, text, range));
    return static_cast<int>(*value);
}

//! The entry of \a allowed that \a text is; \a what names it in the error.
QString oneOf(const QString &what, const QString &text, const QStringList &allowed,
              Qt::CaseSensitivity sensitivity = Qt::CaseSensitive)
{
    for (const QString &entry : allowed) {
        if (text.compare(entry, sensitivity) == 0)
            return entry;
    }
    refuse(QStringLiteral("%1 %2 is not one of %3")
               .arg(what, text, allowed.join(QStringLiteral(", "))));
}

int coilValue(const QString &text)
{
    const QStringList values = {QStringLiteral("on"), QStringLiteral("off"),
                                QStringLiteral("0xFF00"), QStringLiteral("0x0000")};
    const QString value = oneOf(QStringLiteral("send05: VALUE"), text, values, Qt::CaseInsensitive);
    return value == values[0] || value == values[2] ? 1 : 0;
}

QString needsValue(const QString &value, const QString &why)
{
    if (value.isEmpty())
        refuse(why);
    return value;
}

//! The list read, or the refusal \a error tells when there is none.
template <typename List> List orRefuse(const std::optional<List> &list, const QString &error)
{
    if (!list)
        refuse(error);
    return *list;
}

/*! One option: its name after "--", whether a value follows it, and what it sets. Every option
 * but --help and --version, which stand apart: they end the parse. */
struct Option
{
    const char *name;
    bool takesValue;
    void (*read)(Arguments &parsed, const QString &value);
};

const std::vector<Option> &options()
{
    static const std::vector<Option> table = {
        {"settings", true,
         [](Arguments &parsed, const QString &value) {
             QString error;
             parsed.settingsFile = settingsoption::resolve(value, &error);
             if (parsed.settingsFile.isEmpty())
                 refuse(error);
         }},
        {"port", true,
         [](Arguments &parsed, const QString &value) {
             parsed.port =
                 numberIn(QStringLiteral("--port"), value, 1, storedline::highestPort, false);
         }},
        {"device", true,
         [](Arguments &parsed, const QString &value) {
             parsed.device = needsValue(
                 value, QStringLiteral("--device needs a device path, for example /dev/ttyUSB0"));
         }},
        {"baud", true,
         [](Arguments &parsed, const QString &value) {
             parsed.baud =
                 oneOf(QStringLiteral("--baud"), value, SerialSettings::baudNames()).toInt();
         }},
        {"format", true,
         [](Arguments &parsed, const QString &value) {
             parsed.format = oneOf(QStringLiteral("--format"), value, SerialSettings::formatNames(),
                                   Qt::CaseInsensitive);
         }},
        {"rts", false, [](Arguments &parsed, const QString &) { parsed.rts = true; }},
        {"slave", true,
         [](Arguments &parsed, const QString &value) {
             parsed.slave =
                 numberIn(QStringLiteral("--slave"), value, 0, storedline::highestSlave, false);
         }},
        {"timeout", true,
         [](Arguments &parsed, const QString &value) {
             parsed.timeoutMs = numberIn(QStringLiteral("--timeout"), value, 1, 60000, false);
         }},
        {"repeat", true,
         [](Arguments &parsed, const QString &value) {
             parsed.repeat = numberIn(QStringLiteral("--repeat"), value, 1, 1000000, false);
         }},
        {"interval", true,
         [](Arguments &parsed, const QString &value) {
             parsed.intervalMs = numberIn(QStringLiteral("--interval"), value, 0, 3600000, false);
         }},
        {"json", false, [](Arguments &parsed, const QString &) { parsed.json = true; }},
        {"echo", false, [](Arguments &parsed, const QString &) { parsed.echo = true; }},
        {"log", true,
         [](Arguments &parsed, const QString &value) {
             parsed.logFile = needsValue(value, QStringLiteral("--log needs a file name"));
         }},
        {"save", false, [](Arguments &parsed, const QString &) { parsed.save = true; }},
        {"ids", true,
         [](Arguments &parsed, const QString &value) {
             QString error;
             parsed.ids = orRefuse(scanlists::ids(value, &error), error);
         }},
        {"lines", true,
         [](Arguments &parsed, const QString &value) {
             QString error;
             parsed.lines = orRefuse(scanlists::lines(value, &error), error);
         }},
        {"all", false, [](Arguments &parsed, const QString &) { parsed.all = true; }},
    };
    return table;
}

const Option *findOption(const QString &name)
{
    const auto found = std::find_if(options().begin(), options().end(),
                                    [&](const Option &o) { return name == QLatin1String(o.name); });
    return found == options().end() ? nullptr : &*found;
}

//! An option a command has no use for, and why, as the refusal names it after "--option ".
struct Refusal
{
    QString option;
    QString why;
};

//! Every option but \a kept, refused with \a why.
std::vector<Refusal> allOptionsBut(const QStringList &kept, const QString &why)
{
    std::vector<Refusal> refusals;
    for (const Option &option : options()) {
        if (!kept.contains(QLatin1String(option.name)))
            refusals.push_back({QLatin1String(option.name), why});
    }
    return refusals;
}

void readAddress(Arguments &parsed, const char *command, const QString &text, int last)
{
    parsed.address =
        numberIn(QLatin1String(command) + QStringLiteral(": ADDRESS"), text, 0, last, true);
}

void readSend05(Arguments &parsed, const QStringList &operands)
{
    readAddress(parsed, "send05", operands[0], 1);
    parsed.value = coilValue(operands[1]);
}

void readSend06(Arguments &parsed, const QStringList &operands)
{
    readAddress(parsed, "send06", operands[0], 24);
    parsed.value = numberIn(QStringLiteral("send06: VALUE"), operands[1], 0, 65535, true);
}

void readSend16(Arguments &parsed, const QStringList &operands)
{
    readAddress(parsed, "send16", operands[0], 15);
    parsed.text = operands[1];
    // Counted as the display counts them: one byte per character.
    const qsizetype length = cp1252::encode(parsed.text).size();
    if (length > writecommands::maxMessageLength)
        refuse(QStringLiteral("send16: TEXT has %1 characters; at most %2 are allowed")
                   .arg(length)
                   .arg(writecommands::maxMessageLength));
}

void readScan(Arguments &parsed, const QStringList &)
{
    if (parsed.slave == 0)
        refuse(QStringLiteral("scan: --slave 0 is a broadcast, which no display answers; give the "
                              "ID to try first, 1-%1")
                   .arg(storedline::highestSlave));
}

void readConfigure(Arguments &parsed, const QStringList &operands)
{
    parsed.profile =
        needsValue(operands[0],
                   QStringLiteral("configure: PROFILE needs a file name, or - for standard input"));
}

void readDoctor(Arguments &parsed, const QStringList &operands)
{
    parsed.trafficFile =
        needsValue(operands[0], QStringLiteral("doctor: FILE needs the name of a traffic CSV"));
}

/*! One command: its name, the operands its usage line names, how they are read, and the options
 * it has no use for. A new command is one more row, and its lines in helpText(). */
struct CommandRow
{
    Command command;
    const char *name;
    QStringList operands;
    void (*readOperands)(Arguments &parsed, const QStringList &operands);
    std::vector<Refusal> refused;
};

const std::vector<CommandRow> &commands()
{
    static const std::vector<CommandRow> table = [] {
        const QStringList addressValue = {QStringLiteral("ADDRESS"), QStringLiteral("VALUE")};
        const QStringList addressText = {QStringLiteral("ADDRESS"), QStringLiteral("TEXT")};
        const QString scanOnly = QStringLiteral("applies to scan only");
        const std::vector<Refusal> send = {
            {QStringLiteral("save"), QStringLiteral("applies to configure only")},
            {QStringLiteral("ids"), scanOnly},
            {QStringLiteral("lines"), scanOnly},
            {QStringLiteral("all"), scanOnly}};
        const QString fixedLine =
            QStringLiteral("does not apply to configure: an upload always goes at %1")
                .arg(SerialSettings::parse(QLatin1String(ConfigImage::LineSettings))->label());
        const QString noAnswer =
            QStringLiteral("does not apply to configure: an upload awaits no answer");
        const std::vector<Refusal> configure = {
            {QStringLiteral("baud"), fixedLine},
            {QStringLiteral("format"), fixedLine},
            {QStringLiteral("slave"),
             QStringLiteral("does not apply to configure: the profile holds the ID")},
            {QStringLiteral("timeout"), noAnswer},
            {QStringLiteral("echo"), noAnswer},
            {QStringLiteral("ids"), scanOnly},
            {QStringLiteral("lines"), scanOnly},
            {QStringLiteral("all"), scanOnly},
        };
        const QString onceEach =
            QStringLiteral("does not apply to scan, which sends each probe once");
        const std::vector<Refusal> scan = {
            {QStringLiteral("timeout"),
             QStringLiteral("does not apply to scan: each probe waits the wire time at its line "
                            "and %1 ms")
                 .arg(finder::turnaroundMarginMs)},
            {QStringLiteral("repeat"), onceEach},
            {QStringLiteral("interval"), onceEach},
            {QStringLiteral("save"), QStringLiteral("applies to configure only")},
        };
        return std::vector<CommandRow>{
            {Command::Send05, "send05", addressValue, readSend05, send},
            {Command::Send06, "send06", addressValue, readSend06, send},
            {Command::Send16, "send16", addressText, readSend16, send},
            {Command::Configure,
             "configure",
             {QStringLiteral("PROFILE")},
             readConfigure,
             configure},
            {Command::Profile,
             "profile",
             {},
             [](Arguments &, const QStringList &) {},
             allOptionsBut({QStringLiteral("settings")},
                           QStringLiteral("does not apply to profile, which only prints"))},
            {Command::Ports,
             "ports",
             {},
             [](Arguments &, const QStringList &) {},
             allOptionsBut({QStringLiteral("settings"), QStringLiteral("json")},
                           QStringLiteral("does not apply to ports, which only lists"))},
            {Command::Scan, "scan", {}, readScan, scan},
            {Command::Doctor,
             "doctor",
             {QStringLiteral("FILE")},
             readDoctor,
             allOptionsBut({QStringLiteral("json"), QStringLiteral("echo")},
                           QStringLiteral("does not apply to doctor, which only reads a file"))},
        };
    }();
    return table;
}

QString commandList()
{
    QStringList names;
    for (const CommandRow &row : commands())
        names << QLatin1String(row.name);
    return names.join(QStringLiteral(", "));
}

//! The command line taken apart, nothing yet checked against the command.
struct Tokens
{
    QStringList positional;
    //! The options in the order given, each with its value.
    std::vector<std::pair<const Option *, QString>> options;
    bool help = false;
    bool version = false;

    bool given(const QString &name) const
    {
        return std::any_of(options.begin(), options.end(), [&](const auto &taken) {
            return name == QLatin1String(taken.first->name);
        });
    }
};

//! The option at \a i ("--name", "--name=value" or "--name value", which moves \a i on).
std::pair<const Option *, QString> takeOption(const QStringList &arguments, qsizetype &i,
                                              const Tokens &tokens)
{
    const QString &argument = arguments.at(i);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
    const Option *option = argument.startsWith(QLatin1String("--")) ? findOption(name) : nullptr;
    if (!option)
        refuse(QStringLiteral("unknown option %1; see pravixctl --help")
                   .arg(equals < 0 ? argument : argument.left(equals)));
    if (tokens.given(name))
        refuse(QStringLiteral("--%1 is given twice").arg(name));
    if (!option->takesValue) {
        if (equals >= 0)
            refuse(QStringLiteral("--%1 takes no value").arg(name));
        return {option, QString()};
    }
    if (equals >= 0)
        return {option, argument.mid(equals + 1)};
    if (i + 1 < arguments.size())
        return {option, arguments.at(++i)};
    refuse(QStringLiteral("--%1 needs a value; see pravixctl --help").arg(name));
}

Tokens tokenize(const QStringList &arguments)
{
    Tokens tokens;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        // A lone "-" is standard input; "-5" is a (refused) number, not an option.
        const bool looksLikeOption = argument.size() > 1 && argument.startsWith(QLatin1Char('-')) &&
                                     !argument.at(1).isDigit();
        if (optionsEnded || !looksLikeOption)
            tokens.positional << argument;
        else if (argument == QLatin1String("--"))
            optionsEnded = true;
        else if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            tokens.help = true;
        else if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            tokens.version = true;
        else
            tokens.options.push_back(takeOption(arguments, i, tokens));
    }
    return tokens;
}

//! The command the first operand names; \a operands keeps the rest, as many as it takes.
const CommandRow &takeCommand(QStringList &operands)
{
    if (operands.isEmpty())
        refuse(QStringLiteral("no command given; commands are %1").arg(commandList()));
    const QString name = operands.takeFirst();
    const auto found =
        std::find_if(commands().begin(), commands().end(),
                     [&](const CommandRow &row) { return name == QLatin1String(row.name); });
    if (found == commands().end())
        refuse(QStringLiteral("unknown command %1; commands are %2").arg(name, commandList()));
    const QString command = QLatin1String(found->name);
    if (operands.size() < found->operands.size())
        refuse(QStringLiteral("%1: needs %2").arg(command, found->operands.join(QLatin1Char(' '))));
    if (operands.size() > found->operands.size())
        refuse(QStringLiteral("%1: unexpected argument %2%3")
                   .arg(command, operands.at(found->operands.size()),
                        found->command == Command::Send16
                            ? QStringLiteral(" (put a TEXT with blanks in quotes)")
                            : QString()));
    return *found;
}

void refuseCombinations(const CommandRow &command, const Tokens &tokens)
{
    if (tokens.given(QStringLiteral("port")) && tokens.given(QStringLiteral("device")))
        refuse(QStringLiteral("--port and --device both name the line; give one of them"));
    for (const Refusal &refusal : command.refused) {
        if (tokens.given(refusal.option))
            refuse(QStringLiteral("--%1 %2").arg(refusal.option, refusal.why));
    }
}

Arguments parse(const QStringList &arguments)
{
    const Tokens tokens = tokenize(arguments);
    Arguments parsed;
    parsed.help = tokens.help;
    parsed.version = tokens.version;
    for (const auto &[option, value] : tokens.options)
        option->read(parsed, value);
    if (parsed.help || parsed.version)
        return parsed;

    QStringList operands = tokens.positional;
    const CommandRow &command = takeCommand(operands);
    parsed.command = command.command;
    refuseCombinations(command, tokens);
    command.readOperands(parsed, operands);
    return parsed;
}

} // namespace

std::optional<Arguments> parseArguments(const QStringList &arguments, QString *error)
{
    try {
        return parse(arguments);
    } catch (const UsageError &usage) {
        *error = usage.text;
        return std::nullopt;
    }
}

QString helpText()
{
    return QStringLiteral(
        "Usage: pravixctl [options] COMMAND ...\n"
        "Sends the main window's write requests and the configuration window's upload to a\n"
        "Pravix display, with the same bytes on the wire, from a shell or a script.\n"
        "\n"
        "Commands:\n"
        "  send05 ADDRESS VALUE   write coil ADDRESS 0 or 1; VALUE on, off, 0xFF00 or 0x0000\n"
        "  send06 ADDRESS VALUE   write register ADDRESS 0-24; VALUE 0-65535, decimal or 0x hex\n"
        "  send16 ADDRESS TEXT    write TEXT (at most 32 characters) from register 0-15\n"
        "  configure PROFILE      upload the configuration a profile file describes\n"
        "                         (PROFILE - reads standard input)\n"
        "  profile                print a commented profile with the window's defaults\n"
        "  ports                  list the serial devices there are and the port number that\n"
        "                         reaches each, as the program's Ports window does\n"
        "  scan                   find displays: try slave IDs at line settings with a probe\n"
        "                         that changes nothing (the stored ID at every setting first,\n"
        "                         then every ID at the current setting, then the others)\n"
        "  doctor FILE            read a traffic CSV (--log, or the Traffic window's Save as\n"
        "                         CSV) and print its summary and diagnosis as --repeat does\n"
        "                         (--echo: the run took the echo off each answer)\n"
        "\n"
        "Options (port, line settings and slave default to the settings file's):\n"
        "  --settings FILE        use FILE as the settings file\n"
        "  --port N               port number 1-20, mapped as in the program ([Ports])\n"
        "  --device PATH          the serial device itself, instead of --port\n"
        "  --baud B               9600, 19200 or 38400\n"
        "  --format F             8N1, 8N2 or 8E1\n"
        "  --rts                  raise RTS while sending (half-duplex RS-485 adapters)\n"
        "  --slave N              slave address 1-247, or 0 to broadcast (no answer awaited);\n"
        "                         scan: the ID tried first at every line setting\n"
        "  --timeout MS           longest wait for the answer (60 for 05 and 06, 100 for 16)\n"
        "  --repeat N             run the exchange N times and end with a summary line\n"
        "                         and a diagnosis line for whatever looks wrong with the line\n"
        "  --interval MS          pause between repeated exchanges (default 0)\n"
        "  --json                 one JSON object per exchange (ports: per device) instead of\n"
        "                         text\n"
        "  --echo                 the adapter echoes what it sends: drop that copy\n"
        "  --log FILE             append every exchange to FILE as CSV\n"
        "  --save                 configure: save Slave and row1-row6 as the window does\n"
        "  --ids LIST             scan: IDs and ranges to try (default 1-247), e.g. 1,5,10-20\n"
        "  --lines LIST           scan: all (default), or baud rates and formats to combine,\n"
        "                         e.g. 38400 or 9600,19200,8N1\n"
        "  --all                  scan: go on after the first display found\n"
        "  -h, --help             show this help\n"
        "  -v, --version          show the version\n"
        "Options may stand before or after the command; after \"--\" everything is an operand.\n"
        "\n"
        "Exit status:\n"
        "  0  every exchange answered, written or broadcast; scan: a display found;\n"
        "     doctor: the file was read\n"
        "  1  usage error or bad input; nothing was sent; doctor: the file cannot be read\n"
        "  2  no response; scan: no display found\n"
        "  3  incomplete answer\n"
        "  4  CRC error\n"
        "  5  port error (cannot be opened, or failed)\n"
        "  6  exception answer\n"
        "With --repeat, the status of the last exchange that failed.\n");
}

} // namespace ctl
