#include "storedline.h"

#include "modini.h"
#include "numbertext.h"

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
    const qint64 value = numbertext::digits(stored, longestDigits).value_or(0);
    return value >= 1 && value <= highest ? int(value) : 1;
}

} // namespace storedline
