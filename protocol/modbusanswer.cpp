#include "modbusanswer.h"

#include "crc16.h"

namespace modbusanswer {

Verdict judge(const QByteArray &request, const QByteArray &received)
{
    if (received.isEmpty())
        return Verdict::Nothing;
    const QByteArray frame = received.left(wholeLength);
    const bool whole = frame.size() == wholeLength;
    if (frame.size() < exceptionLength || !modbuscrc::hasValidCrc(frame))
        return whole ? Verdict::CrcError : Verdict::Partial;
    if (request.size() < 2)
        return whole ? Verdict::Answer : Verdict::Partial;

    const bool addressed = frame.at(0) == request.at(0);
    const quint8 function = quint8(request.at(1));
    const quint8 answered = quint8(frame.at(1));
    const bool refused = answered == (function | exceptionFlag);
    if (!addressed || (answered != function && !refused))
        return Verdict::OtherDevice;
    if (refused && frame.size() == exceptionLength)
        return Verdict::Exception;
    return whole ? Verdict::Answer : Verdict::Partial;
}

QString exceptionName(int code)
{
    switch (code) {
    case 0x01:
        return QStringLiteral("illegal function");
    case 0x02:
        return QStringLiteral("illegal data address");
    case 0x03:
        return QStringLiteral("illegal data value");
    case 0x04:
        return QStringLiteral("slave device failure");
    case 0x05:
        return QStringLiteral("acknowledge");
    case 0x06:
        return QStringLiteral("slave device busy");
    case 0x08:
        return QStringLiteral("memory parity error");
    case 0x0A:
        return QStringLiteral("gateway path unavailable");
    case 0x0B:
        return QStringLiteral("gateway target failed to respond");
    default:
        return QStringLiteral("unknown code");
    }
}

} // namespace modbusanswer
