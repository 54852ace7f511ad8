#include "sweep.h"

#include "lineexchange.h"
#include "modbusanswer.h"
#include "mscomm.h"

#include <QElapsedTimer>

#include <memory>

namespace finder {
namespace {

template <typename Handler, typename Value> void tell(const Handler &handler, const Value &value)
{
    if (handler)
        handler(value);
}

bool stopAsked(const SweepOptions &options)
{
    return options.stop && options.stop->load();
}

//! Found only with a correct CRC from the probed ID: noise and other devices never count.
std::optional<Found> foundBy(const Probe &probe, const QByteArray &request,
                             const QByteArray &received)
{
    using modbusanswer::Verdict;
    const Verdict verdict = modbusanswer::judge(request, received);
    if (verdict != Verdict::Answer && verdict != Verdict::Exception)
        return std::nullopt;
    return Found{probe.line, probe.slave, verdict == Verdict::Exception};
}

} // namespace

SweepResult sweep(const QString &device, const ProbePlan &plan, const SweepOptions &options,
                  const SweepObserver &observer)
{
    SweepResult result;
    result.total = int(plan.probes().size());
    QElapsedTimer clock;
    clock.start();
    MSComm port([device](int) { return device; });
    std::unique_ptr<LineExchange> exchange;
    QString openLine;

    for (const Probe &probe : plan.probes()) {
        if (stopAsked(options)) {
            result.stopped = true;
            break;
        }
        // Settings change only on a closed port; the next line setting means opening anew.
        if (probe.line.text != openLine) {
            try {
                port.setPortOpen(false);
                port.setSettings(probe.line.text);
                port.setPortOpen(true);
            } catch (const CommError &error) {
                result.portError = error;
                tell(observer.probed, portFailureRecord(device, probe.line.text, options.producer));
                break;
            }
            openLine = probe.line.text;
            exchange = std::make_unique<LineExchange>(port, device, openLine, options.producer);
        }
        tell(observer.probing, SweepProgress{probe, result.sent, result.total});

        ExchangeOptions wait;
        wait.timeoutMs = probeWaitMs(probe.line);
        wait.rts = options.rts;
        wait.echo = options.echo;
        wait.stop = options.stop;
        const QByteArray &request = plan.request(probe.slave);
        const LineExchange::Result answer = exchange->run(request, wait);
        ++result.sent;
        tell(observer.probed, answer.record);
        if (answer.portError) {
            result.portError = answer.portError;
            break;
        }
        if (const std::optional<Found> found = foundBy(probe, request, answer.record.received)) {
            result.found.push_back(*found);
            tell(observer.found, *found);
            if (!options.all)
                break;
        }
    }
    if (stopAsked(options))
        result.stopped = true;
    try {
        port.setPortOpen(false);
    } catch (const CommError &) {
        // Closing lets go of the device whatever state it is in; there is nothing left to do.
    }
    result.elapsedMs = double(clock.nsecsElapsed()) / 1e6;
    return result;
}

QString summary(const SweepResult &result, const ProbePlan &plan)
{
    QString text = QStringLiteral("%1 found, %2 of %3 probes (%4 IDs at %5 line settings), %6 s")
                       .arg(result.found.size())
                       .arg(result.sent)
                       .arg(result.total)
                       .arg(plan.idCount())
                       .arg(plan.lineCount())
                       .arg(result.elapsedMs / 1000.0, 0, 'f', 1);
    if (result.portError)
        text += QStringLiteral(", the port failed");
    else if (result.stopped)
        text += QStringLiteral(", stopped");
    return text;
}

} // namespace finder
