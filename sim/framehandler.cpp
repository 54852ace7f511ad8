#include "framehandler.h"

#include "displaysetup.h"
#include "lcdslave.h"
#include "linesettings.h"

#include "cp1252.h"
#include "crc16.h"
#include "hextext.h"
#include "modbusanswer.h"

namespace lcdsim {
namespace {

constexpr quint8 writeCoilFunction = 0x05;
constexpr quint8 writeRegisterFunction = 0x06;
constexpr quint8 writeRegistersFunction = 0x10;
constexpr quint8 exceptionFlag = 0x80;
constexpr int broadcastAddress = 0;
constexpr int shortestFrame = 4;
constexpr int singleWriteLength = 8;
constexpr int multipleWriteHeader = 7;
constexpr quint16 coilOn = 0xFF00;
constexpr quint16 coilOff = 0x0000;

enum class ExceptionCode : quint8 {
    None = 0,
    IllegalFunction = 0x01,
    IllegalDataAddress = 0x02,
    IllegalDataValue = 0x03,
};

//! What a request asks for, in words, and whether it is refused.
struct Verdict
{
    QString meaning;
    ExceptionCode exception = ExceptionCode::None;
};

quint8 byteAt(const QByteArray &frame, int index)
{
    return static_cast<quint8>(frame.at(index));
}

quint16 wordAt(const QByteArray &frame, int index)
{
    return static_cast<quint16>((byteAt(frame, index) << 8) | byteAt(frame, index + 1));
}

QString exceptionText(ExceptionCode code)
{
    const int number = static_cast<int>(code);
    return QStringLiteral("exception %1 (%2)")
        .arg(number, 2, 10, QLatin1Char('0'))
        .arg(modbusanswer::exceptionName(number));
}

//! The text between double quotes, with what does not print written as \xNN.
QString quoted(const QByteArray &bytes)
{
    const QString decoded = cp1252::decode(bytes);
    QString text = QStringLiteral("\"");
    for (int i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded.at(i);
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            text += QLatin1Char('\\') + c;
        else if (c.isPrint())
            text += c;
        else
            text += QStringLiteral("\\x") + hextext::byte(static_cast<quint8>(bytes.at(i)));
    }
    return text + QLatin1Char('"');
}

Verdict lengthMismatch(const QString &what, int expected, int received)
{
    return {QStringLiteral("%1 of %2 bytes, %3 expected").arg(what).arg(received).arg(expected),
            ExceptionCode::IllegalDataValue};
}

Verdict writeCoil(const QByteArray &frame, LcdSlave &slave)
{
    if (frame.size() != singleWriteLength)
        return lengthMismatch(QStringLiteral("write coil"), singleWriteLength, frame.size());
    const quint16 address = wordAt(frame, 2);
    const quint16 value = wordAt(frame, 4);
    if (value != coilOn && value != coilOff)
        return {QStringLiteral("write coil %1 with %2, neither ON nor OFF")
                    .arg(address)
                    .arg(hextext::value(value, 4)),
                ExceptionCode::IllegalDataValue};
    const bool on = value == coilOn;
    const QString meaning = QStringLiteral("write coil %1 %2")
                                .arg(address)
                                .arg(on ? QLatin1String("ON") : QLatin1String("OFF"));
    if (address >= LcdSlave::coilCount)
        return {meaning, ExceptionCode::IllegalDataAddress};
    slave.writeCoil(address, on);
    return {meaning};
}

Verdict writeRegister(const QByteArray &frame, LcdSlave &slave)
{
    if (frame.size() != singleWriteLength)
        return lengthMismatch(QStringLiteral("write register"), singleWriteLength, frame.size());
    const quint16 address = wordAt(frame, 2);
    const quint16 value = wordAt(frame, 4);
    const QString meaning =
        QStringLiteral("write register %1 = %2").arg(address).arg(hextext::value(value, 4));
    if (address >= LcdSlave::registerCount)
        return {meaning, ExceptionCode::IllegalDataAddress};
    slave.writeRegister(address, value);
    return {meaning};
}

Verdict writeRegisters(const QByteArray &frame, LcdSlave &slave)
{
    if (frame.size() < multipleWriteHeader + 2)
        return lengthMismatch(QStringLiteral("write registers"), multipleWriteHeader + 2,
                              frame.size());
    const int byteCount = byteAt(frame, 6);
    const int expectedLength = multipleWriteHeader + byteCount + 2;
    if (frame.size() != expectedLength)
        return lengthMismatch(QStringLiteral("write registers with byte count %1").arg(byteCount),
                              expectedLength, frame.size());
    const quint16 start = wordAt(frame, 2);
    const quint16 count = wordAt(frame, 4);
    const QByteArray text = frame.mid(multipleWriteHeader, byteCount);
    const QString meaning =
        QStringLiteral("write %1 register(s) at %2: %3").arg(count).arg(start).arg(quoted(text));
    // The byte count decides what is written. A master sending an odd number of characters may
    // round the register count either way, so both neighbours of half the byte count pass.
    const int touched = (byteCount + 1) / 2;
    if (count != byteCount / 2 && count != touched)
        return {meaning + QStringLiteral(", %1 byte(s) do not fill that").arg(byteCount),
                ExceptionCode::IllegalDataValue};
    if (start >= LcdSlave::screenRegisters || start + touched > LcdSlave::screenRegisters)
        return {meaning, ExceptionCode::IllegalDataAddress};
    slave.writeText(start, text);
    return {meaning};
}

FrameOutcome takeConfigImage(const QByteArray &image, LcdSlave &slave)
{
    QString whyNot;
    const std::optional<DisplaySetup> setup = DisplaySetup::fromImage(image, &whyNot);
    if (!setup)
        return {QStringLiteral("config image: %1, ignored").arg(whyNot), {}, {}};
    QString meaning = QStringLiteral("config image: ") + setup->summary();
    const int formerId = slave.slaveId();
    const LineSettings formerLine = slave.lineSettings();
    const bool idUsable = slave.applySetup(*setup);
    if (!LineSettings::fromSetup(*setup))
        meaning += QStringLiteral("; line codes not known, still listening at %1")
                       .arg(slave.lineSettings().text());
    else if (slave.lineSettings() != formerLine)
        meaning += QStringLiteral("; now listening at %1").arg(slave.lineSettings().text());
    if (!idUsable)
        meaning += QStringLiteral("; ID %1 is not a slave address, still answering to %2")
                       .arg(setup->slaveId)
                       .arg(slave.slaveId());
    else if (slave.slaveId() != formerId)
        meaning += QStringLiteral("; now answering to slave %1").arg(slave.slaveId());
    return {meaning, {}, {}};
}

} // namespace

FrameOutcome handleFrame(const QByteArray &frame, LcdSlave &slave)
{
    if (frame.size() == DisplaySetup::imageSize)
        return takeConfigImage(frame, slave);
    if (frame.size() < shortestFrame)
        return {
            QStringLiteral("%1 byte(s), too short for a frame, ignored").arg(frame.size()), {}, {}};
    if (!modbuscrc::hasValidCrc(frame))
        return {QStringLiteral("bad CRC, ignored"), {}, {}};

    const int address = byteAt(frame, 0);
    if (address != broadcastAddress && address != slave.slaveId())
        return {QStringLiteral("for slave %1, ignored").arg(address), {}, {}};

    const quint8 function = byteAt(frame, 1);
    Verdict verdict;
    switch (function) {
    case writeCoilFunction:
        verdict = writeCoil(frame, slave);
        break;
    case writeRegisterFunction:
        verdict = writeRegister(frame, slave);
        break;
    case writeRegistersFunction:
        verdict = writeRegisters(frame, slave);
        break;
    default:
        verdict = {QStringLiteral("function %1, not served").arg(hextext::value(function, 2)),
                   ExceptionCode::IllegalFunction};
        break;
    }

    if (address == broadcastAddress) {
        const QString refusal =
            verdict.exception == ExceptionCode::None
                ? QString()
                : QStringLiteral(", refused with ") + exceptionText(verdict.exception);
        return {
            verdict.meaning + QStringLiteral(" (broadcast%1, not answered)").arg(refusal), {}, {}};
    }

    FrameOutcome outcome{verdict.meaning, {}, {}};
    if (verdict.exception != ExceptionCode::None) {
        QByteArray reply;
        reply.append(static_cast<char>(address));
        reply.append(static_cast<char>(function | exceptionFlag));
        reply.append(static_cast<char>(verdict.exception));
        outcome.answer = modbuscrc::withCrc(reply);
        outcome.answerMeaning = exceptionText(verdict.exception);
    } else if (function == writeRegistersFunction) {
        outcome.answer = modbuscrc::withCrc(frame.left(6));
        outcome.answerMeaning = QStringLiteral("registers written");
    } else {
        outcome.answer = frame;
        outcome.answerMeaning = QStringLiteral("echo");
    }
    return outcome;
}

} // namespace lcdsim
