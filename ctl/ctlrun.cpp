#include "ctlrun.h"

#include "commerror.h"
#include "configprofile.h"
#include "cp1252.h"
#include "ctlline.h"
#include "doctor.h"
#include "hextext.h"
#include "lineexchange.h"
#include "modini.h"
#include "modvariables.h"
#include "mscomm.h"
#include "portsreport.h"
#include "scan.h"
#include "stoprequest.h"
#include "writecommands.h"

#include <QFile>
#include <QTextStream>

#include <chrono>
#include <thread>

namespace ctl {
namespace {

// The main window waits in ticks of its 20 ms timer; its waits are the default time-outs.
constexpr int tickMs = 20;
const QString lcdSection = QStringLiteral("LCD");

//! Sleeps \a ms, waking early when a stop is requested.
void pause(int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stoprequest::flag() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - std::chrono::steady_clock::now(), std::chrono::milliseconds(20)));
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
                     QString::number(profile.choices.slaveId + ConfigChoices::slaveIds.first));
    for (int i = 0; i < ConfigImage::MessageCount; ++i)
        modINI::WriteIni(lcdSection, QStringLiteral("row%1").arg(i + 1),
                         profile.messages[static_cast<size_t>(i)]);
}

//! What a send or an upload puts on the line and how its answer is awaited.
struct Job
{
    QByteArray request;
    ExchangeOptions options;
    //! An upload's, saved after it went out when --save asks for it.
    std::optional<ConfigProfile> profile;
};

//! A send or an upload: the request once, or --repeat times, on one port.
class Runner
{
public:
    Runner(const Arguments &arguments, Console &console)
        : m_arguments(arguments), m_console(console), m_output(console, arguments.json)
    {
    }

    int run()
    {
        if (!m_arguments.settingsFile.isEmpty())
            modINI::setIniFilePath(m_arguments.settingsFile);
        const Line line = chooseLine(m_arguments);
        std::optional<Job> job = prepare(line);
        if (!job)
            return 1;
        if (!m_arguments.logFile.isEmpty() && !m_output.openLog(m_arguments.logFile))
            return 1;

        const QString device = line.device;
        MSComm port([device](int) { return device; });
        if (open(port, line))
            exchange(port, line, *job);
        if (job->profile && m_arguments.save && runreport::exitStatus(m_output.records()) == 0)
            saveUpload(*job->profile);
        return m_output.finish(m_arguments.repeat.has_value(), line.echo);
    }

private:
    //! Empty, with the reason on standard error, when the profile cannot be used.
    std::optional<Job> prepare(const Line &line)
    {
        Job job;
        job.options.rts = m_arguments.rts;
        job.options.stop = &stoprequest::flag();
        if (m_arguments.command != Command::Configure) {
            job.request = writeRequest(m_arguments, line.slave);
            job.options.awaitAnswer = line.slave != 0;
            job.options.timeoutMs =
                m_arguments.timeoutMs.value_or(defaultTimeoutMs(m_arguments.command));
            job.options.echo = line.echo;
            return job;
        }
        QString error;
        job.profile = loadProfile(m_arguments.profile, m_console.in, &error);
        if (!job.profile) {
            m_output.note(error);
            return std::nullopt;
        }
        job.request = uploadImage(*job.profile);
        job.options.awaitAnswer = false;
        return job;
    }

    //! False, with the failure recorded, when the port cannot be opened.
    bool open(MSComm &port, const Line &line)
    {
        try {
            port.setSettings(line.settings);
            port.setCommPort(line.portNumber);
            port.setPortOpen(true);
            return true;
        } catch (const CommError &error) {
            m_output.reportPortError(error);
            m_output.record(
                portFailureRecord(line.device, line.settings, TrafficRecord::commandLine));
            return false;
        }
    }

    //! The exchanges, until the count is reached, the port fails or a stop is asked for.
    void exchange(MSComm &port, const Line &line, const Job &job)
    {
        LineExchange exchange(port, line.device, line.settings, TrafficRecord::commandLine);
        const int count = m_arguments.repeat.value_or(1);
        // Without a series Ctrl+C ends the program at once, as any command's.
        if (m_arguments.repeat)
            stoprequest::catchSignals();
        for (int i = 0; i < count && !stoprequest::flag(); ++i) {
            if (i > 0 && m_arguments.intervalMs > 0)
                pause(m_arguments.intervalMs);
            if (stoprequest::flag())
                break;
            const LineExchange::Result result = exchange.run(job.request, job.options);
            if (!result.discarded.isEmpty())
                m_output.note(QStringLiteral("discarded %1 bytes waiting before the request: %2")
                                  .arg(result.discarded.size())
                                  .arg(hextext::bytes(result.discarded)));
            const bool portFailed = result.record.outcome == TrafficOutcome::PortError;
            if (portFailed && result.portError)
                m_output.reportPortError(*result.portError);
            m_output.record(result.record);
            if (portFailed)
                break;
        }
        if (stoprequest::flag())
            m_output.note(QStringLiteral("stopped after %1 of %2 exchanges")
                              .arg(m_output.records().size())
                              .arg(count));
    }

    const Arguments &m_arguments;
    Console &m_console;
    RunOutput m_output;
};

// Lists only: nothing is sent and the settings file is read, never written.
void printPorts(const Arguments &arguments, Console &console)
{
    if (!arguments.settingsFile.isEmpty())
        modINI::setIniFilePath(arguments.settingsFile);
    const PortSurvey survey = PortSurvey::take(DeviceLookup::system());
    const QStringList lines =
        arguments.json ? portsreport::jsonLines(survey) : portsreport::textLines(survey);
    for (const QString &line : lines)
        console.out << line << '\n';
}

} // namespace

int run(const Arguments &arguments, Console &console)
{
    if (arguments.help) {
        console.out << helpText();
        return 0;
    }
    switch (arguments.command) {
    case Command::Profile:
        console.out << defaultProfile();
        return 0;
    case Command::Ports:
        printPorts(arguments, console);
        return 0;
    case Command::Scan:
        return scan(arguments, console);
    case Command::Doctor:
        return doctor(arguments, console);
    case Command::Send05:
    case Command::Send06:
    case Command::Send16:
    case Command::Configure:
    case Command::None:
        break;
    }
    return Runner(arguments, console).run();
}

} // namespace ctl
