#include "ctlrun.h"

#include "commerror.h"
#include "configprofile.h"
#include "cp1252.h"
#include "hextext.h"
#include "lineexchange.h"
#include "modini.h"
#include "modvariables.h"
#include "mscomm.h"
#include "porthint.h"
#include "portmap.h"
#include "portsreport.h"
#include "runreport.h"
#include "serialsettings.h"
#include "storedline.h"
#include "trafficlog.h"
#include "writecommands.h"

#include <QFile>
#include <QTextStream>

#include <chrono>
#include <csignal>
#include <thread>

namespace ctl {
namespace {

// The main window waits in ticks of its 20 ms timer; its waits are the default time-outs.
constexpr int tickMs = 20;
const QString defaultSettings = QStringLiteral("9600,n,8,1");
// The display takes its configuration at this speed and format only.
const QString uploadSettings = QStringLiteral("9600,n,8,1");
const QString lcdSection = QStringLiteral("LCD");

// Set by Ctrl+C or a termination request during a series: the series stops after the exchange
// under way and still ends with its summary.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int)
{
    stopRequested = 1;
}

//! Sleeps \a ms, waking early when a stop is requested.
void pause(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopRequested && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - std::chrono::steady_clock::now(), std::chrono::milliseconds(20)));
}

//! The line a run uses: from the options, else as the main window would load it.
struct Line
{
    int portNumber = 1;
    QString device;
    QString settings;
    int slave = 1;
    bool echo = false;
};

Line chooseLine(const Arguments &arguments)
{
    Line line;
    line.portNumber = arguments.port.value_or(storedline::commPort());
    line.device =
        arguments.device.isEmpty() ? portmap::devicePath(line.portNumber) : arguments.device;
    line.settings = storedline::setting();
    if (!SerialSettings::parse(line.settings))
        line.settings = defaultSettings;
    const QString storedBaud = line.settings.section(QLatin1Char(','), 0, 0);
    const QString storedFormat = line.settings.section(QLatin1Char(','), 1);
    line.settings = (arguments.baud ? QString::number(*arguments.baud) : storedBaud) +
                    QLatin1Char(',') +
                    (arguments.format.isEmpty() ? storedFormat : arguments.format);
    if (arguments.command == Command::Configure)
        line.settings = uploadSettings;
    line.slave = arguments.slave.value_or(storedline::slave());
    line.echo = arguments.echo || storedline::localEcho();
    return line;
}

QByteArray txBuf(int length)
{
    return QByteArray(reinterpret_cast<const char *>(modVariables::TxBuf.data()), length);
}

//! The request of a send command, built as the main window builds it.
QByteArray writeRequest(const Arguments &arguments, int slave)
{
    // The builders take list positions; the slave list's position is the address less one, so
    // a broadcast (0) is the list without a choice.
    const int slavePosition = slave - 1;
    switch (arguments.command) {
    case Command::Send05:
        return txBuf(
            writecommands::buildFunction05(slavePosition, arguments.address, arguments.value));
    case Command::Send06:
        return txBuf(writecommands::buildFunction06(slavePosition, arguments.address,
                                                    arguments.value >> 8, arguments.value & 0xFF));
    case Command::Send16:
        return txBuf(writecommands::buildFunction16(slavePosition, arguments.address,
                                                    cp1252::encode(arguments.text)));
    default:
        return QByteArray();
    }
}

int defaultTimeoutMs(Command command)
{
    switch (command) {
    case Command::Send05:
        return writecommands::waitTicks05 * tickMs;
    case Command::Send06:
        return writecommands::waitTicks06 * tickMs;
    default:
        return writecommands::waitTicks16 * tickMs;
    }
}

std::optional<QByteArray> readProfileBytes(const QString &name, QIODevice &in, QString *error)
{
    if (name == QLatin1String("-"))
        return in.readAll();
    QFile file(name);
    // Read as a stream, so that /dev/stdin and other pipes do as well as plain files.
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("configure: cannot read %1: %2").arg(name, file.errorString());
        return std::nullopt;
    }
    return file.readAll();
}

std::optional<ConfigProfile> loadProfile(const QString &name, QIODevice &in, QString *error)
{
    const std::optional<QByteArray> contents = readProfileBytes(name, in, error);
    if (!contents)
        return std::nullopt;
    const QString shownName = name == QLatin1String("-") ? QStringLiteral("standard input") : name;
    const auto stored = [](int index) {
        return modINI::ReadIni(lcdSection, QStringLiteral("row%1").arg(index + 1));
    };
    return readProfile(*contents, shownName, stored, error);
}

// What the configuration window saves after an upload that went out.
void saveUpload(const ConfigProfile &profile)
{
    modINI::WriteIni(lcdSection, QStringLiteral("Slave"),
                     QString::number(profile.choices.slaveId + 1));
    for (int i = 0; i < ConfigImage::MessageCount; ++i)
        modINI::WriteIni(lcdSection, QStringLiteral("row%1").arg(i + 1),
                         profile.messages[static_cast<size_t>(i)]);
}

class Runner
{
public:
    Runner(const Arguments &arguments, Console &console)
        : m_arguments(arguments), m_console(console)
    {
    }

    int run()
    {
        if (!m_arguments.settingsFile.isEmpty())
            modINI::setIniFilePath(m_arguments.settingsFile);
        const Line line = chooseLine(m_arguments);

        QByteArray request;
        ExchangeOptions options;
        options.rts = m_arguments.rts;
        std::optional<ConfigProfile> profile;
        if (m_arguments.command == Command::Configure) {
            QString error;
            profile = loadProfile(m_arguments.profile, m_console.in, &error);
            if (!profile)
                return usageError(error);
            request = uploadImage(*profile);
            options.awaitAnswer = false;
        } else {
            request = writeRequest(m_arguments, line.slave);
            options.awaitAnswer = line.slave != 0;
            options.timeoutMs =
                m_arguments.timeoutMs.value_or(defaultTimeoutMs(m_arguments.command));
            options.echo = line.echo;
        }

        if (!m_arguments.logFile.isEmpty()) {
            if (!m_log.open(m_arguments.logFile))
                return usageError(QStringLiteral("--log: cannot write %1").arg(m_log.errorText()));
        }

        const QString device = line.device;
        MSComm port([device](int) { return device; });
        try {
            port.setSettings(line.settings);
            port.setCommPort(line.portNumber);
            port.setPortOpen(true);
        } catch (const CommError &error) {
            TrafficRecord failed;
            failed.time = QDateTime::currentDateTime();
            failed.window = QStringLiteral("pravixctl");
            failed.device = device;
            failed.settings = line.settings;
            failed.outcome = TrafficOutcome::PortError;
            reportPortError(error.message());
            record(failed);
            return finish(line.echo);
        }

        LineExchange exchange(port, device, line.settings);
        const int count = m_arguments.repeat.value_or(1);
        if (m_arguments.repeat) {
            std::signal(SIGINT, requestStop);
            std::signal(SIGTERM, requestStop);
        }
        for (int i = 0; i < count && !stopRequested; ++i) {
            if (i > 0 && m_arguments.intervalMs > 0)
                pause(m_arguments.intervalMs);
            if (stopRequested)
                break;
            const LineExchange::Result result = exchange.run(request, options);
            if (!result.discarded.isEmpty())
                note(QStringLiteral("discarded %1 bytes waiting before the request: %2")
                         .arg(result.discarded.size())
                         .arg(hextext::bytes(result.discarded)));
            const bool portFailed = result.record.outcome == TrafficOutcome::PortError;
            if (portFailed)
                reportPortError(result.portError);
            record(result.record);
            if (portFailed)
                break;
        }
        if (stopRequested)
            note(QStringLiteral("stopped after %1 of %2 exchanges")
                     .arg(m_records.size())
                     .arg(count));
        if (profile && m_arguments.save && runreport::exitStatus(m_records) == 0)
            saveUpload(*profile);
        return finish(line.echo);
    }

private:
    int usageError(const QString &text)
    {
        note(text);
        return 1;
    }

    void note(const QString &text)
    {
        m_console.err << "pravixctl: " << text << '\n';
        m_console.err.flush();
    }

    void reportPortError(const QString &message)
    {
        m_console.err << porthint::describe(CommError(message), modINI::iniFilePath());
        m_console.err.flush();
    }

    void record(const TrafficRecord &record)
    {
        m_records.append(record);
        // A full disk ends the log, not the series; the user learns that the log is short.
        if (m_log.isOpen() && !m_log.append(record)) {
            note(QStringLiteral("stopped writing the log %1").arg(m_log.errorText()));
            m_log.close();
        }
        if (m_arguments.json)
            m_console.out << runreport::jsonLine(runreport::exchangeJson(record)) << '\n';
        else if (record.outcome != TrafficOutcome::PortError)
            m_console.out << runreport::exchangeText(record) << '\n';
        m_console.out.flush();
    }

    int finish(bool localEcho)
    {
        if (m_arguments.repeat) {
            for (const QString &line :
                 runreport::closingLines(m_records, m_arguments.json, localEcho))
                m_console.out << line << '\n';
            m_console.out.flush();
        }
        return runreport::exitStatus(m_records);
    }

    const Arguments &m_arguments;
    Console &m_console;
    TrafficLog m_log;
    RunRecords m_records;
};

} // namespace

int run(const Arguments &arguments, Console &console)
{
    if (arguments.help) {
        console.out << helpText();
        return 0;
    }
    if (arguments.command == Command::Profile) {
        console.out << defaultProfile();
        return 0;
    }
    if (arguments.command == Command::Ports) {
        if (!arguments.settingsFile.isEmpty())
            modINI::setIniFilePath(arguments.settingsFile);
        const PortSurvey survey = PortSurvey::take(DeviceLookup::system());
        const QStringList lines =
            arguments.json ? portsreport::jsonLines(survey) : portsreport::textLines(survey);
        for (const QString &line : lines)
            console.out << line << '\n';
        return 0;
    }
    return Runner(arguments, console).run();
}

} // namespace ctl
