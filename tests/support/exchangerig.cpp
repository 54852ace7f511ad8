#include "exchangerig.h"

#include "modini.h"
#include "portmap.h"

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
