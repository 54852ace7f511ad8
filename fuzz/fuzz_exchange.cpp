#include "crc16.h"
#include "exchange.h"
#include "fuzzcheck.h"
#include "hextext.h"
#include "modbusanswer.h"
#include "modvariables.h"
#include "mscomm.h"
#include "serialdevice.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

// Judging an answer: whatever bytes wait on the line after a request, the exchange ends in one of
// its four outcomes with the text that belongs to it, never reads past what arrived, and agrees
// with the judging pravixctl and the diagnosis use. The wait is zero ticks, so the exchange ends
// within start() and no time passes; the device is a few bytes in memory.
namespace {

constexpr int answerLength = 8;
// A write of register 0, value 0, to slave 1: the first request the window sends.
const QByteArray request = QByteArray::fromHex("010600000000"
                                               "89CA");


//! A port whose far end has already answered with the fuzzer's bytes.
class WaitingBytes : public SerialDevice
{
public:
    void open(const QString &, const SerialSettings &) override { m_open = true; }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    void setRts(bool) override {}
    void write(const QByteArray &bytes) override { written += bytes; }
    void drain() override {}
    int bytesWaiting() override { return int(waiting.size()); }
    QByteArray readAll() override
    {
        QByteArray all;
        all.swap(waiting);
        return all;
    }
    QByteArray read(int count) override
    {
        const QByteArray first = waiting.left(count);
        waiting.remove(0, first.size());
        return first;
    }
    QByteArray peek() override { return waiting; }

    QByteArray waiting;
    QByteArray written;

private:
    bool m_open = false;
};

//! The exchange on its port and monitor texts, made once: the fuzzer calls in again and again.
struct Rig
{
    explicit Rig(std::unique_ptr<WaitingBytes> line)
        : device(line.get()), port([](int) { return QStringLiteral("memory"); }, std::move(line))
    {
        port.setPortOpen(true);
    }

    WaitingBytes *device;
    MSComm port;
    QTimer timer;
    QString txText;
    QString rxText;
    Exchange exchange{port, timer, [this](const QString &text) { txText = text; },
                      [this](const QString &text) { rxText = text; }};
};

/*! What the window makes of a verdict on \a received: it counts bytes and checks the CRC of the
 * first eight, so a refusal or another device's short frame is incomplete, and another device's
 * whole frame is shown. */
Exchange::Outcome windowOutcome(modbusanswer::Verdict verdict, const QByteArray &received)
{
    using modbusanswer::Verdict;
    switch (verdict) {
    case Verdict::Nothing:
        return Exchange::Outcome::NoResponse;
    case Verdict::CrcError:
        return Exchange::Outcome::CrcError;
    case Verdict::Answer:
        return Exchange::Outcome::Shown;
    case Verdict::Partial:
    case Verdict::Exception:
        return Exchange::Outcome::IncompleteFrame;
    case Verdict::OtherDevice:
        return received.size() < answerLength ? Exchange::Outcome::IncompleteFrame
                                              : Exchange::Outcome::Shown;
    }
    return Exchange::Outcome::PortError;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Rig rig(std::make_unique<WaitingBytes>());
    const QByteArray arrived(reinterpret_cast<const char *>(data), qsizetype(size));
    rig.device->waiting = arrived;
    rig.device->written.clear();
    modVariables::RxBuf.clear();
    modVariables::CrcHi.clear();
    modVariables::CrcLo.clear();
    std::copy(request.begin(), request.end(), modVariables::TxBuf.begin());

    rig.exchange.start(int(request.size()), 0);
    const Exchange::Outcome outcome = rig.exchange.lastOutcome();

    require(rig.device->written == request);
    require(rig.txText == hextext::monitor(request));
    require(!rig.timer.isActive() && !rig.exchange.inProgress());
    if (arrived.isEmpty()) {
        require(outcome == Exchange::Outcome::NoResponse);
        require(rig.rxText == QLatin1String("No Response from LCD"));
    } else if (arrived.size() < answerLength) {
        // What came stays waiting, in front of the next answer.
        require(outcome == Exchange::Outcome::IncompleteFrame);
        require(rig.rxText == QLatin1String("Incomplete Frame"));
        require(rig.device->waiting == arrived);
    } else {
        require(rig.device->waiting.isEmpty() && modVariables::RxBuf == arrived);
        if (modbuscrc::hasValidCrc(arrived.left(answerLength))) {
            require(outcome == Exchange::Outcome::Shown);
            require(rig.rxText == hextext::monitor(arrived.left(answerLength)));
        } else {
            require(outcome == Exchange::Outcome::CrcError);
            require(rig.rxText == QLatin1String("CRC Err"));
        }
        // The window's check leaves the CRC of the received frame in CrcHi / CrcLo.
        const unsigned crc = modbuscrc::crc16(arrived.left(answerLength - 2));
        require(modVariables::CrcLo == hextext::byte(quint8(crc & 0xFF)) &&
                modVariables::CrcHi == hextext::byte(quint8(crc >> 8)));
    }
    require(outcome == windowOutcome(modbusanswer::judge(request, arrived), arrived));
    return 0;
}
