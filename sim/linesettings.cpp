#include "linesettings.h"

#include "displaysetup.h"

#include <array>

namespace lcdsim {
namespace {

constexpr qint64 nsPerSecond = 1000000000;
constexpr std::array<int, 10> standardRates = {300,  600,   1200,  2400,  4800,
                                               9600, 19200, 38400, 57600, 115200};

} // namespace

std::optional<LineSettings> LineSettings::withFormat(int baudRate, const QString &format)
{
    if (format.size() != 3)
        return std::nullopt;
    LineSettings line;
    line.baudRate = baudRate;
    line.dataBits = format.at(0).digitValue();
    line.parity = format.at(1).toUpper().toLatin1();
    line.stopBits = format.at(2).digitValue();
    if (line.dataBits < 5 || line.dataBits > 8 || line.stopBits < 1 || line.stopBits > 2)
        return std::nullopt;
    if (line.parity != 'N' && line.parity != 'E' && line.parity != 'O')
        return std::nullopt;
    return line;
}

std::optional<LineSettings> LineSettings::fromSetup(const DisplaySetup &setup)
{
    const int rate = setup.baudRate();
    if (rate == 0)
        return std::nullopt;
    return withFormat(rate, setup.formatText());
}

bool LineSettings::isStandardRate(int baudRate)
{
    for (const int rate : standardRates) {
        if (rate == baudRate)
            return true;
    }
    return false;
}

int LineSettings::bitsPerCharacter() const
{
    return 1 + dataBits + (parity == 'N' ? 0 : 1) + stopBits;
}

qint64 LineSettings::characterTimeNs() const
{
    if (baudRate <= 0)
        return 0;
    return (bitsPerCharacter() * nsPerSecond + baudRate - 1) / baudRate;
}

bool LineSettings::understands(const LineSettings &line) const
{
    return baudRate == line.baudRate && dataBits == line.dataBits && stopBits == line.stopBits;
}

QString LineSettings::text() const
{
    const QString speed =
        baudRate > 0 ? QString::number(baudRate) : QStringLiteral("an unnumbered speed");
    return QStringLiteral("%1 %2%3%4")
        .arg(speed)
        .arg(dataBits)
        .arg(QLatin1Char(parity))
        .arg(stopBits);
}

bool LineSettings::operator==(const LineSettings &other) const
{
    return baudRate == other.baudRate && dataBits == other.dataBits && parity == other.parity &&
           stopBits == other.stopBits;
}

} // namespace lcdsim
