#include "exchangerig.h"

#include "modini.h"
#include "portmap.h"

#include <QEventLoop>

ExchangeRig::ExchangeRig(const QString &settings)
    : exchange(
          port, timer, [this](const QString &t) { txText = t; },
          [this](const QString &t) {
              rxText = t;
              rxHistory << t;
          })
{
    timer.setInterval(20);
    if (!pty.isValid())
        return;
    modINI::WriteIni(QStringLiteral("Ports"), QStringLiteral("1"), pty.devicePath());
    port.setCommPort(1);
    port.setSettings(settings);
    port.setInputMode(1);
    port.setPortOpen(true);
}

Exchange::Outcome ExchangeRig::run(int requestLength, int waitTicks)
{
    QEventLoop loop;
    QObject::connect(&exchange, &Exchange::finished, &loop, &QEventLoop::quit);
    exchange.start(requestLength, waitTicks);
    if (exchange.inProgress())
        loop.exec();
    return exchange.lastOutcome();
}
