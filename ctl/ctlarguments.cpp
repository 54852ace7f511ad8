#include "ctlarguments.h"

#include "cp1252.h"
#include "settingsoption.h"
#include "writecommands.h"

#include <QSet>

#include <array>

namespace ctl {
namespace {

struct OptionName
{
    const char *name;
    bool takesValue;
};

constexpr std::array<OptionName, 15> knownOptions = {{
    {"settings", true},
    {"port", true},
    {"device", true},
    {"baud", true},
    {"format", true},
    {"rts", false},
    {"slave", true},
    {"timeout", true},
    {"repeat", true},
    {"interval", true},
    {"json", false},
    {"echo", false},
    {"log", true},
    {"save", false},
    {"help", false},
}};

const OptionName *findOption(const QString &name)
{
    for (const OptionName &option : knownOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

struct CommandName
{
    Command command;
    const char *name;
    //! The operands, as the usage line names them.
    QStringList operands;
};

const std::array<CommandName, 6> commands = {{
    {Command::Send05, "send05", {QStringLiteral("ADDRESS"), QStringLiteral("VALUE")}},
    {Command::Send06, "send06", {QStringLiteral("ADDRESS"), QStringLiteral("VALUE")}},
    {Command::Send16, "send16", {QStringLiteral("ADDRESS"), QStringLiteral("TEXT")}},
    {Command::Configure, "configure", {QStringLiteral("PROFILE")}},
    {Command::Profile, "profile", {}},
    {Command::Ports, "ports", {}},
}};

const QString commandList = QStringLiteral("send05, send06, send16, configure, profile, ports");

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
    const QString digits = hex ? text.mid(2) : text;
    constexpr int longestDigits = 9;
    if (digits.isEmpty() || digits.size() > longestDigits)
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok, hex ? 16 : 10);
    // toLongLong() takes a sign and blanks as well; only digits are a number here.
    for (const QChar c : digits)
        ok = ok && (hex ? QStringLiteral("0123456789abcdefABCDEF").contains(c) : c.isDigit());
    return ok ? std::optional<qint64>(value) : std::nullopt;
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

int baudRate(const QString &text)
{
    for (const int baud : {9600, 19200, 38400}) {
        if (text == QString::number(baud))
            return baud;
    }
    refuse(QStringLiteral("--baud %1 is not one of 9600, 19200, 38400").arg(text));
}

QString formatPart(const QString &text)
{
    const std::array<std::pair<const char *, const char *>, 3> formats = {
        {{"8N1", "n,8,1"}, {"8N2", "n,8,2"}, {"8E1", "e,8,1"}}};
    for (const auto &[name, part] : formats) {
        if (text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QLatin1String(part);
    }
    refuse(QStringLiteral("--format %1 is not one of 8N1, 8N2, 8E1").arg(text));
}

int coilValue(const QString &text)
{
    for (const char *on : {"on", "0xFF00"}) {
        if (text.compare(QLatin1String(on), Qt::CaseInsensitive) == 0)
            return 1;
    }
    for (const char *off : {"off", "0x0000"}) {
        if (text.compare(QLatin1String(off), Qt::CaseInsensitive) == 0)
            return 0;
    }
    refuse(QStringLiteral("send05: VALUE %1 is not one of on, off, 0xFF00, 0x0000").arg(text));
}

//! The options a command has no use for, each with the reason it is refused.
void refuseInapplicable(Command command, const QSet<QString> &given)
{
    const auto check = [&given](const char *option, const QString &why) {
        if (given.contains(QLatin1String(option)))
            refuse(QStringLiteral("--%1 %2").arg(QLatin1String(option), why));
    };
    if (command != Command::Configure)
        check("save", QStringLiteral("applies to configure only"));
    if (command == Command::Configure) {
        const QString fixedLine = QStringLiteral("does not apply to configure: an upload always "
                                                 "goes at 9600 8N1");
        check("baud", fixedLine);
        check("format", fixedLine);
        check("slave", QStringLiteral("does not apply to configure: the profile holds the ID"));
        check("timeout", QStringLiteral("does not apply to configure: an upload awaits no "
                                        "answer"));
        check("echo", QStringLiteral("does not apply to configure: an upload awaits no answer"));
    }
    if (command == Command::Profile) {
        for (const QString &option : given) {
            if (option != QLatin1String("settings"))
                refuse(QStringLiteral("--%1 does not apply to profile, which only prints")
                           .arg(option));
        }
    }
    if (command == Command::Ports) {
        for (const QString &option : given) {
            if (option != QLatin1String("settings") && option != QLatin1String("json"))
                refuse(
                    QStringLiteral("--%1 does not apply to ports, which only lists").arg(option));
        }
    }
}

void readOperands(Arguments &parsed, const QStringList &operands)
{
    switch (parsed.command) {
    case Command::Send05:
        parsed.address = numberIn(QStringLiteral("send05: ADDRESS"), operands[0], 0, 1, true);
        parsed.value = coilValue(operands[1]);
        break;
    case Command::Send06:
        parsed.address = numberIn(QStringLiteral("send06: ADDRESS"), operands[0], 0, 24, true);
        parsed.value = numberIn(QStringLiteral("send06: VALUE"), operands[1], 0, 65535, true);
        break;
    case Command::Send16: {
        parsed.address = numberIn(QStringLiteral("send16: ADDRESS"), operands[0], 0, 15, true);
        parsed.text = operands[1];
        // Counted as the display counts them: one byte per character.
        const qsizetype length = cp1252::encode(parsed.text).size();
        if (length > writecommands::maxMessageLength)
            refuse(QStringLiteral("send16: TEXT has %1 characters; at most %2 are allowed")
                       .arg(length)
                       .arg(writecommands::maxMessageLength));
        break;
    }
    case Command::Configure:
        parsed.profile = operands[0];
        if (parsed.profile.isEmpty())
            refuse(QStringLiteral("configure: PROFILE needs a file name, or - for standard "
                                  "input"));
        break;
    case Command::Profile:
    case Command::Ports:
    case Command::None:
        break;
    }
}

void readOption(Arguments &parsed, const QString &name, const QString &value)
{
    const QString option = QStringLiteral("--") + name;
    if (name == QLatin1String("settings")) {
        QString error;
        parsed.settingsFile = settingsoption::resolve(value, &error);
        if (parsed.settingsFile.isEmpty())
            refuse(error);
    } else if (name == QLatin1String("port")) {
        parsed.port = numberIn(option, value, 1, 20, false);
    } else if (name == QLatin1String("device")) {
        if (value.isEmpty())
            refuse(QStringLiteral("--device needs a device path, for example /dev/ttyUSB0"));
        parsed.device = value;
    } else if (name == QLatin1String("baud")) {
        parsed.baud = baudRate(value);
    } else if (name == QLatin1String("format")) {
        parsed.format = formatPart(value);
    } else if (name == QLatin1String("slave")) {
        parsed.slave = numberIn(option, value, 0, 247, false);
    } else if (name == QLatin1String("timeout")) {
        parsed.timeoutMs = numberIn(option, value, 1, 60000, false);
    } else if (name == QLatin1String("repeat")) {
        parsed.repeat = numberIn(option, value, 1, 1000000, false);
    } else if (name == QLatin1String("interval")) {
        parsed.intervalMs = numberIn(option, value, 0, 3600000, false);
    } else if (name == QLatin1String("log")) {
        if (value.isEmpty())
            refuse(QStringLiteral("--log needs a file name"));
        parsed.logFile = value;
    } else if (name == QLatin1String("rts")) {
        parsed.rts = true;
    } else if (name == QLatin1String("json")) {
        parsed.json = true;
    } else if (name == QLatin1String("echo")) {
        parsed.echo = true;
    } else if (name == QLatin1String("save")) {
        parsed.save = true;
    }
}

Arguments parse(const QStringList &arguments)
{
    Arguments parsed;
    QStringList positional;
    QSet<QString> given;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        // A lone "-" is standard input; "-5" is a (refused) number, not an option.
        const bool looksLikeOption = argument.size() > 1 && argument.startsWith(QLatin1Char('-')) &&
                                     !argument.at(1).isDigit();
        if (optionsEnded || !looksLikeOption) {
            positional << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            parsed.help = true;
            continue;
        }
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version")) {
            parsed.version = true;
            continue;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.mid(2, equals < 0 ? -1 : equals - 2);
        const OptionName *option =
            argument.startsWith(QLatin1String("--")) ? findOption(name) : nullptr;
        if (!option)
            refuse(QStringLiteral("unknown option %1; see pravixctl --help")
                       .arg(equals < 0 ? argument : argument.left(equals)));
        if (given.contains(name))
            refuse(QStringLiteral("--%1 is given twice").arg(name));
        given.insert(name);
        QString value;
        if (option->takesValue) {
            if (equals >= 0)
                value = argument.mid(equals + 1);
            else if (i + 1 < arguments.size())
                value = arguments.at(++i);
            else
                refuse(QStringLiteral("--%1 needs a value; see pravixctl --help").arg(name));
        } else if (equals >= 0) {
            refuse(QStringLiteral("--%1 takes no value").arg(name));
        }
        readOption(parsed, name, value);
    }
    if (parsed.help || parsed.version)
        return parsed;

    if (positional.isEmpty())
        refuse(QStringLiteral("no command given; commands are %1").arg(commandList));
    const QString commandName = positional.takeFirst();
    const auto found = std::find_if(commands.begin(), commands.end(), [&](const CommandName &c) {
        return commandName == QLatin1String(c.name);
    });
    if (found == commands.end())
        refuse(QStringLiteral("unknown command %1; commands are %2").arg(commandName, commandList));
    parsed.command = found->command;
    if (positional.size() < found->operands.size())
        refuse(QStringLiteral("%1: needs %2")
                   .arg(QLatin1String(found->name), found->operands.join(QLatin1Char(' '))));
    if (positional.size() > found->operands.size())
        refuse(QStringLiteral("%1: unexpected argument %2%3")
                   .arg(QLatin1String(found->name), positional.at(found->operands.size()),
                        found->command == Command::Send16
                            ? QStringLiteral(" (put a TEXT with blanks in quotes)")
                            : QString()));
    if (given.contains(QStringLiteral("port")) && given.contains(QStringLiteral("device")))
        refuse(QStringLiteral("--port and --device both name the line; give one of them"));
    refuseInapplicable(parsed.command, given);
    readOperands(parsed, positional);
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
        "\n"
        "Options (port, line settings and slave default to the settings file's):\n"
        "  --settings FILE        use FILE as the settings file\n"
        "  --port N               port number 1-20, mapped as in the program ([Ports])\n"
        "  --device PATH          the serial device itself, instead of --port\n"
        "  --baud B               9600, 19200 or 38400\n"
        "  --format F             8N1, 8N2 or 8E1\n"
        "  --rts                  raise RTS while sending (half-duplex RS-485 adapters)\n"
        "  --slave N              slave address 1-247, or 0 to broadcast (no answer awaited)\n"
        "  --timeout MS           longest wait for the answer (60 for 05 and 06, 100 for 16)\n"
        "  --repeat N             run the exchange N times and end with a summary line\n"
        "                         and a diagnosis line for whatever looks wrong with the line\n"
        "  --interval MS          pause between repeated exchanges (default 0)\n"
        "  --json                 one JSON object per exchange (ports: per device) instead of\n"
        "                         text\n"
        "  --echo                 the adapter echoes what it sends: drop that copy\n"
        "  --log FILE             append every exchange to FILE as CSV\n"
        "  --save                 configure: save Slave and row1-row6 as the window does\n"
        "  -h, --help             show this help\n"
        "  -v, --version          show the version\n"
        "Options may stand before or after the command; after \"--\" everything is an operand.\n"
        "\n"
        "Exit status:\n"
        "  0  every exchange answered, written or broadcast\n"
        "  1  usage error or bad input; nothing was sent\n"
        "  2  no response\n"
        "  3  incomplete answer\n"
        "  4  CRC error\n"
        "  5  port error (cannot be opened, or failed)\n"
        "  6  exception answer\n"
        "With --repeat, the status of the last exchange that failed.\n");
}

} // namespace ctl
