#include "portsurvey.h"

#include "portmap.h"
#include "stablenames.h"
#include "storedline.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString separator = QStringLiteral(" — ");

//! "3-6" for a run of numbers, "3" for one.
QString runText(int first, int last)
{
    return first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last);
}

//! "3-6, 9, 12-20".
QString numberRuns(const QList<int> &numbers)
{
    QStringList runs;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype end = i;
        while (end + 1 < numbers.size() && numbers.at(end + 1) == numbers.at(end) + 1)
            ++end;
        runs.append(runText(numbers.at(i), numbers.at(end)));
        i = end + 1;
    }
    return runs.join(QStringLiteral(", "));
}

/* Names in the order a user reads them: ttyS2 before ttyS10, COM9 before COM10. A collator
 * would do it only where the locale backend supports numbers, and the C locale's does not. */
bool readsBefore(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            const qulonglong numberA = a.mid(i, endA - i).toULongLong();
            const qulonglong numberB = b.mid(j, endB - j).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
        } else {
            if (a.at(i) != b.at(j))
                return a.at(i) < b.at(j);
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

#if defined(Q_OS_WIN)
// The port map names COM ports; the system lists the same names.
QString identity(const QString &name)
{
    return name.toUpper();
}
#else
// One device may be reached by several names (a stable name, a link of the user's own): the
// path with every link resolved is the device. A path that leads nowhere is no device.
QString identity(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}
#endif

bool present(const QString &path)
{
#if defined(Q_OS_WIN)
    // Every COM port there is is listed; a name that is not listed is not there.
    Q_UNUSED(path);
    return false;
#else
    return QFileInfo::exists(path);
#endif
}

} // namespace

DeviceLookup DeviceLookup::system()
{
    return {std::make_shared<SystemDeviceEnumeration>(), stablenames::systemFolder()};
}

QString ListedDevice::name() const
{
#if defined(Q_OS_WIN)
    return info.portName;
#else
    return info.systemLocation;
#endif
}

QString ListedDevice::mapName() const
{
    return stableName.isEmpty() ? name() : stableName;
}

QString ListedDevice::summary() const
{
    QString text = !info.description.isEmpty()    ? info.description
                   : !info.manufacturer.isEmpty() ? info.manufacturer
                                                  : QStringLiteral("serial port");
    if (!info.serialNumber.isEmpty())
        text += QStringLiteral(" (%1)").arg(info.serialNumber);
    return text;
}

QString ListedDevice::usbId() const
{
    if (!info.vendorId || !info.productId)
        return QString();
    return QStringLiteral("%1:%2")
        .arg(*info.vendorId, 4, 16, QLatin1Char('0'))
        .arg(*info.productId, 4, 16, QLatin1Char('0'));
}

PortSurvey PortSurvey::take(const DeviceLookup &lookup)
{
    PortSurvey survey;
    const QHash<QString, QString> stable = stablenames::byTarget(lookup.stableNameFolder);
    for (const SerialDeviceInfo &info : lookup.enumeration->devices()) {
        ListedDevice device;
        device.info = info;
        device.stableName = stable.value(QFileInfo(info.systemLocation).canonicalFilePath());
        survey.m_devices.append(device);
    }
    std::sort(survey.m_devices.begin(), survey.m_devices.end(),
              [](const ListedDevice &a, const ListedDevice &b) {
                  return readsBefore(a.name(), b.name());
              });

    QList<QString> identities;
    for (const ListedDevice &device : survey.m_devices)
        identities.append(identity(device.name()));

    for (int number = 1; number <= storedline::highestPort; ++number) {
        PortNumber entry;
        entry.number = number;
        entry.path = portmap::devicePath(number);
        const QString reached = identity(entry.path);
        entry.device = reached.isEmpty() ? -1 : int(identities.indexOf(reached));
        if (entry.device >= 0) {
            entry.behind = Behind::ListedDevice;
            survey.m_devices[entry.device].portNumbers.append(number);
        } else {
            entry.behind = present(entry.path) ? Behind::UnlistedDevice : Behind::Nothing;
        }
        survey.m_numbers.append(entry);
    }
    return survey;
}

const ListedDevice *PortSurvey::device(const QString &name) const
{
    const auto found = std::find_if(m_devices.begin(), m_devices.end(),
                                    [&name](const ListedDevice &d) { return d.name() == name; });
    return found == m_devices.end() ? nullptr : &*found;
}

QString PortSurvey::tooltip(int number) const
{
    const PortNumber &entry = m_numbers.at(number - 1);
    switch (entry.behind) {
    case Behind::ListedDevice: {
        const ListedDevice &device = m_devices.at(entry.device);
        return device.name() + separator + device.summary();
    }
    case Behind::UnlistedDevice:
        return entry.path + separator + QStringLiteral("present, not listed as a serial port");
    case Behind::Nothing:
        break;
    }
    return entry.path + separator + QStringLiteral("nothing there");
}

QStringList PortSurvey::unlistedLines() const
{
    QStringList lines;
    QList<int> nothing;
    for (const PortNumber &entry : m_numbers) {
        if (entry.behind == Behind::UnlistedDevice)
            lines.append(
                QStringLiteral("Port %1: %2").arg(entry.number).arg(tooltip(entry.number)));
        else if (entry.behind == Behind::Nothing)
            nothing.append(entry.number);
    }
    if (!nothing.isEmpty())
        lines.append(QStringLiteral("Nothing there: ") + numberRuns(nothing));
    return lines;
}
