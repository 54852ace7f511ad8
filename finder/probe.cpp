#include "probe.h"

#include "modbusanswer.h"
#include "modvariables.h"
#include "writecommands.h"

#include <cmath>

namespace finder {

double probeWireMs(const SerialSettings &line)
{
    const int bytes = probeLength + modbusanswer::wholeLength;
    return bytes * line.bitsPerCharacter() * 1000.0 / line.baudRate;
}

int probeWaitMs(const SerialSettings &line)
{
    return int(std::ceil(probeWireMs(line))) + turnaroundMarginMs;
}

QByteArray probeRequest(int slave)
{
    // The builder takes the slave list's position, which is the ID less one.
    const int length = writecommands::buildFunction16(slave - 1, 0, QByteArray());
    return QByteArray(reinterpret_cast<const char *>(modVariables::TxBuf.data()), length);
}

QString Found::label() const
{
    return QStringLiteral("ID %1 at %2").arg(slave).arg(line.label());
}

} // namespace finder
