#include "scan.h"

#include "ctlline.h"
#include "modini.h"
#include "probeplan.h"
#include "runreport.h"
#include "stoprequest.h"
#include "sweep.h"

#include <QJsonObject>
#include <QTextStream>

#include <cmath>

namespace ctl {
namespace {

QJsonObject foundJson(const finder::Found &found)
{
    return QJsonObject{
        {QStringLiteral("id"), found.slave},
        {QStringLiteral("baud"), found.line.baudRate},
        {QStringLiteral("format"), found.line.formatName},
        {QStringLiteral("settings"), found.line.text},
        {QStringLiteral("answer"),
         found.exception ? QStringLiteral("exception") : QStringLiteral("normal")},
    };
}

QJsonObject summaryJson(const finder::SweepResult &result, const finder::ProbePlan &plan)
{
    return QJsonObject{{QStringLiteral("summary"),
                        QJsonObject{
                            {QStringLiteral("found"), int(result.found.size())},
                            {QStringLiteral("probes"), result.sent},
                            {QStringLiteral("planned"), result.total},
                            {QStringLiteral("ids"), plan.idCount()},
                            {QStringLiteral("lines"), plan.lineCount()},
                            {QStringLiteral("seconds"), std::round(result.elapsedMs) / 1000.0},
                            {QStringLiteral("stopped"), result.stopped},
                            {QStringLiteral("port_error"), result.portError.has_value()},
                        }}};
}

int exitStatus(const finder::SweepResult &result)
{
    if (!result.found.empty())
        return 0;
    return result.portError ? runreport::exitStatus(TrafficOutcome::PortError)
                            : runreport::exitStatus(TrafficOutcome::NoResponse);
}

} // namespace

int scan(const Arguments &arguments, Console &console)
{
    if (!arguments.settingsFile.isEmpty())
        modINI::setIniFilePath(arguments.settingsFile);
    const Line line = chooseLine(arguments);
    RunOutput output(console, arguments.json);
    if (!arguments.logFile.isEmpty() && !output.openLog(arguments.logFile))
        return 1;

    const SerialSettings current = *SerialSettings::parse(line.settings);
    const finder::ProbePlan plan(arguments.ids.empty() ? finder::everySlaveId() : arguments.ids,
                                 arguments.lines.empty()
                                     ? std::vector<SerialSettings>(SerialSettings::all().begin(),
                                                                   SerialSettings::all().end())
                                     : arguments.lines,
                                 line.slave, current);

    finder::SweepOptions options;
    options.all = arguments.all;
    options.rts = arguments.rts;
    options.echo = line.echo;
    options.producer = TrafficRecord::commandLine;
    options.stop = &stoprequest::flag();
    stoprequest::catchSignals();
    output.note(QStringLiteral("scanning %1: %2 probes, about %3 s if none answers; Ctrl+C stops")
                    .arg(line.device)
                    .arg(plan.probes().size())
                    .arg(std::ceil(plan.longestMs() / 1000.0)));

    finder::SweepObserver observer;
    observer.probed = [&output](const TrafficRecord &record) { output.log(record); };
    observer.found = [&](const finder::Found &found) {
        console.out << (arguments.json ? runreport::jsonLine(foundJson(found)) : found.label())
                    << '\n';
        console.out.flush();
    };
    const finder::SweepResult result = finder::sweep(line.device, plan, options, observer);
    if (result.portError)
        output.reportPortError(*result.portError);
    console.out << (arguments.json ? runreport::jsonLine(summaryJson(result, plan))
                                   : finder::summary(result, plan))
                << '\n';
    console.out.flush();
    return exitStatus(result);
}

} // namespace ctl
