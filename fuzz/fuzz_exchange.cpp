#include "crc16.h"
#include "exchange.h"
#include "fuzzcheck.h"
#include "hextext.h"
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
// its four outcomes with the text that belongs to it, and never reads past what arrived. The
// wait is zero ticks, so no time passes; the device is a few bytes in memory.
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
    std::copy(request.begin(), request.end(), modVariables::TxBuf.begin());

    const Exchange::Outcome outcome = rig.exchange.run(int(request.size()), 0);

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
    }
    return 0;
}
