#include "crc16.h"
#include "framehandler.h"
#include "framesplitter.h"
#include "fuzzcheck.h"
#include "lcdslave.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>
#include <cstddef>
#include <cstdint>

// The simulator's request handling on arbitrary line traffic, in memory: bytes go into the frame
// splitter in chunks, line silence cuts them into frames, and every frame is acted on and
// answered. No byte may be lost or doubled on the way, and every answer must be one a Modbus RTU
// slave may give to that frame.
//
// The input is a series of chunks, each led by a control byte: its low six bits give the chunk's
// length, bit 6 ends the chunk with the CRC of the frame so far (random bytes would almost never
// carry a valid one), bit 7 lets the line fall silent after it.
namespace {

constexpr unsigned lengthBits = 0x3F;
constexpr unsigned crcFlag = 0x40;
constexpr unsigned silenceFlag = 0x80;
constexpr int exceptionAnswerLength = 5;
constexpr int writeRegistersAnswerLength = 8;
// Waiting for the splitter's zero-length silence must never take long; a stuck splitter aborts.
constexpr int mostEventRounds = 100;


//! An answer is an echo, the header of a multiple write, or an exception, all to this slave.
void requireFittingAnswer(const QByteArray &frame, const lcdsim::FrameOutcome &outcome,
                          int slaveBefore)
{
    require(!outcome.meaning.isEmpty());
    const QByteArray &answer = outcome.answer;
    if (answer.isEmpty()) {
        require(outcome.answerMeaning.isEmpty());
        return;
    }
    require(!outcome.answerMeaning.isEmpty());
    require(modbuscrc::hasValidCrc(frame) && modbuscrc::hasValidCrc(answer));
    require(quint8(frame.at(0)) == slaveBefore && answer.at(0) == frame.at(0));
    const auto function = quint8(frame.at(1));
    const auto answered = quint8(answer.at(1));
    if (answered == (function | 0x80U)) {
        require(answer.size() == exceptionAnswerLength);
        require(answer.at(2) >= 1 && answer.at(2) <= 3);
    } else if (function == 0x10) {
        require(answer.size() == writeRegistersAnswerLength);
        require(answer.left(6) == frame.left(6));
    } else {
        require(function == 0x05 || function == 0x06);
        require(answer == frame);
    }
}

//! One input's line: the display it talks to and the frames that have reached it so far.
struct Run
{
    lcdsim::LcdSlave slave;
    int framesReceived = 0;
    QByteArray lastFrame;
};

Run *current = nullptr;

//! The splitter lives across inputs, as it does across frames; every input ends in silence.
lcdsim::FrameSplitter &splitter()
{
    static lcdsim::FrameSplitter made;
    static const bool connected = [] {
        made.setSilenceGap(0);
        QObject::connect(&made, &lcdsim::FrameSplitter::frameReceived, &made,
                         [](const QByteArray &frame) {
                             const int slaveBefore = current->slave.slaveId();
                             requireFittingAnswer(frame, lcdsim::handleFrame(frame, current->slave),
                                                  slaveBefore);
                             ++current->framesReceived;
                             current->lastFrame = frame;
                         });
        return true;
    }();
    Q_UNUSED(connected);
    return made;
}

//! The line falls silent: what was fed since the last silence must arrive as one frame.
void silence(Run &run, int &framesSent, QByteArray &pending)
{
    if (pending.isEmpty())
        return;
    ++framesSent;
    for (int round = 0; run.framesReceived < framesSent && round < mostEventRounds; ++round)
        QCoreApplication::processEvents();
    require(run.framesReceived == framesSent && run.lastFrame == pending);
    pending.clear();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Run run;
    current = &run;
    int framesSent = 0;
    QByteArray pending;
    std::size_t at = 0;
    while (at < size) {
        const unsigned control = data[at++];
        const std::size_t length = std::min<std::size_t>(control & lengthBits, size - at);
        QByteArray chunk(reinterpret_cast<const char *>(data + at), qsizetype(length));
        at += length;
        if (control & crcFlag)
            chunk = modbuscrc::withCrc(pending + chunk).mid(pending.size());
        splitter().feed(chunk);
        pending += chunk;
        if (control & silenceFlag)
            silence(run, framesSent, pending);
    }
    silence(run, framesSent, pending);
    current = nullptr;
    return 0;
}
