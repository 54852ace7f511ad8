#include "storedline.h"

#include "modini.h"

namespace storedline {
namespace {

const QString settingsSection = QStringLiteral("Settings");

} // namespace

int commPort()
{
    return usableNumber(modINI::ReadIni(settingsSection, QStringLiteral("CommPort")), highestPort);
}

QString setting()
{
    return modINI::ReadIni(settingsSection, QStringLiteral("Setting"));
}

int slave()
{
    return usableNumber(modINI::ReadIni(QStringLiteral("LCD"), QStringLiteral("Slave")),
                        highestSlave);
}

bool localEcho()
{
    return modINI::ReadIni(settingsSection, QStringLiteral("LocalEcho")) == QLatin1String("1");
}

int usableNumber(const QString &stored, int highest)
{
    constexpr int longestDigits = 3;
    bool allDigits = !stored.isEmpty() && stored.size() <= longestDigits;
    for (const QChar c : stored)
        allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int value = allDigits ? stored.toInt() : 0;
    return value >= 1 && value <= highest ? value : 1;
}

} // namespace storedline
