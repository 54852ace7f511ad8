#include "framehandler.h"
#include "lcdslave.h"

#include "crc16.h"

#include <QtTest>

using lcdsim::FrameOutcome;
using lcdsim::LcdSlave;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

} // namespace

// The simulated display's answers to single frames, byte for byte, and what each does to the
// display's registers, coils and screen.
class TestSimFrames : public QObject
{
    Q_OBJECT

private slots:
    void answersAsAModbusSlave_data()
    {
        QTest::addColumn<int>("slaveId");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");

        QTest::newRow("05 coil 0 on: echo")
            << 1 << hex("01 05 00 00 FF 00 8C 3A") << hex("01 05 00 00 FF 00 8C 3A");
        QTest::newRow("05 coil 1 off: echo")
            << 1 << hex("01 05 00 01 00 00 9C 0A") << hex("01 05 00 01 00 00 9C 0A");
        QTest::newRow("06 register 1 = 3: echo")
            << 1 << hex("01 06 00 01 00 03 98 0B") << hex("01 06 00 01 00 03 98 0B");
        QTest::newRow("06 last register 24: echo")
            << 1 << hex("01 06 00 18 12 34 04 BA") << hex("01 06 00 18 12 34 04 BA");
        QTest::newRow("16 Hi at 0")
            << 1 << hex("01 10 00 00 00 01 02 48 69 50 7E") << hex("01 10 00 00 00 01 01 C9");
        QTest::newRow("16 Hi at 3 to slave 2")
            << 2 << hex("02 10 00 03 00 01 02 48 69 44 BD") << hex("02 10 00 03 00 01 F1 FA");
        QTest::newRow("16 empty message")
            << 1 << hex("01 10 00 00 00 00 00 09 50") << hex("01 10 00 00 00 00 C0 09");
        QTest::newRow("16 odd count, register count rounded down")
            << 1 << hex("01 10 00 00 00 02 05 48 65 6C 6C 6F BD 67")
            << hex("01 10 00 00 00 02 41 C8");
        QTest::newRow("16 odd count, register count rounded up")
            << 1 << hex("01 10 00 00 00 03 05 48 65 6C 6C 6F AD A7")
            << hex("01 10 00 00 00 03 80 08");
        QTest::newRow("03 read: illegal function")
            << 1 << hex("01 03 00 00 00 01 84 0A") << hex("01 83 01 80 F0");
        QTest::newRow("06 register 30: illegal data address")
            << 1 << hex("01 06 00 1E 00 03 A9 CD") << hex("01 86 02 C3 A1");
        QTest::newRow("05 coil 2: illegal data address")
            << 1 << hex("01 05 00 02 FF 00 2D FA") << hex("01 85 02 C3 51");
        QTest::newRow("05 value 0x1234: illegal data value")
            << 1 << hex("01 05 00 00 12 34 C0 BD") << hex("01 85 03 02 91");
        QTest::newRow("05 one byte short: illegal data value")
            << 1 << hex("01 05 00 00 FF 59 4C") << hex("01 85 03 02 91");
        QTest::newRow("16 past the screen: illegal data address")
            << 1 << hex("01 10 00 0F 00 02 04 41 42 43 44 36 C4") << hex("01 90 02 CD C1");
        QTest::newRow("16 five registers for two bytes: illegal data value")
            << 1 << hex("01 10 00 00 00 05 02 48 69 51 4E") << hex("01 90 03 0C 01");
        QTest::newRow("16 one register for five bytes: illegal data value")
            << 1 << hex("01 10 00 00 00 01 05 48 65 6C 6C 6F 8E 67") << hex("01 90 03 0C 01");
        QTest::newRow("16 byte count larger than the data: illegal data value")
            << 1 << hex("01 10 00 00 00 01 03 48 69 01 BE") << hex("01 90 03 0C 01");
    }

    void answersAsAModbusSlave()
    {
        QFETCH(int, slaveId);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        LcdSlave slave(slaveId);
        QCOMPARE(lcdsim::handleFrame(request, slave).answer, answer);
    }

    void staysSilent_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("meaning");

        QTest::newRow("another slave")
            << hex("03 05 00 00 FF 00 8D D8") << QStringLiteral("for slave 3, ignored");
        QTest::newRow("bad CRC") << hex("01 05 00 00 FF 00 8C 3B")
                                 << QStringLiteral("bad CRC, ignored");
        QTest::newRow("CRC bytes swapped")
            << hex("01 05 00 00 FF 00 3A 8C") << QStringLiteral("bad CRC, ignored");
        QTest::newRow("three bytes")
            << hex("01 05 00") << QStringLiteral("3 byte(s), too short for a frame, ignored");
        QTest::newRow("broadcast") << hex("00 05 00 01 FF 00 DC 2B")
                                   << QStringLiteral("write coil 1 ON (broadcast, not answered)");
    }

    void staysSilent()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, meaning);
        LcdSlave slave(1);
        const FrameOutcome outcome = lcdsim::handleFrame(request, slave);
        QVERIFY(outcome.answer.isEmpty());
        QCOMPARE(outcome.meaning, meaning);
    }

    void writesTheTextScreen_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("line0");
        QTest::addColumn<QByteArray>("line1");

        const QByteArray blank(16, ' ');
        QTest::newRow("Hi at the start of line 0")
            << hex("01 10 00 00 00 01 02 48 69 50 7E") << QByteArray("Hi              ") << blank;
        QTest::newRow("register 8 starts line 1")
            << hex("01 10 00 08 00 01 02 4F 4B D3 1F") << blank << QByteArray("OK              ");
        QTest::newRow("06 writes two characters, high byte first")
            << hex("01 06 00 02 41 42 98 6B") << QByteArray("    AB          ") << blank;
        QTest::newRow("refused write leaves the screen")
            << hex("01 10 00 0F 00 02 04 41 42 43 44 36 C4") << blank << blank;
        QTest::newRow("other slave's write leaves the screen")
            << hex("02 10 00 03 00 01 02 48 69 44 BD") << blank << blank;
    }

    void writesTheTextScreen()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, line0);
        QFETCH(QByteArray, line1);
        LcdSlave slave(1);
        lcdsim::handleFrame(request, slave);
        QCOMPARE(slave.line(0), line0);
        QCOMPARE(slave.line(1), line1);
    }

    // The finder's probe: an answer, and the screen and every register as they were.
    void probeChangesNothing_data()
    {
        QTest::addColumn<int>("start");
        QTest::newRow("at register 0") << 0;
        QTest::newRow("at the screen's last register") << 15;
    }

    void probeChangesNothing()
    {
        QFETCH(int, start);
        LcdSlave slave(1);
        lcdsim::handleFrame(hex("01 10 00 00 00 01 02 48 69 50 7E"), slave);
        lcdsim::handleFrame(modbuscrc::withCrc(hex("01 10 00 0F 00 01 02 4F 4B")), slave);
        QByteArray header = hex("01 10 00 00 00 00");
        header[3] = char(start);
        const QByteArray probe = modbuscrc::withCrc(header + QByteArray(1, '\0'));
        QCOMPARE(lcdsim::handleFrame(probe, slave).answer, modbuscrc::withCrc(header));
        QCOMPARE(slave.line(0), QByteArray("Hi              "));
        QCOMPARE(slave.line(1), QByteArray("              OK"));
    }

    void oddByteCountKeepsTheLastLowByte()
    {
        LcdSlave slave(1);
        slave.writeRegister(2, 0x213F);
        lcdsim::handleFrame(hex("01 10 00 00 00 02 05 48 65 6C 6C 6F BD 67"), slave);
        QCOMPARE(slave.line(0), QByteArray("Hello?          "));
    }

    void writesCoilsAndFurtherRegisters()
    {
        LcdSlave slave(1);
        lcdsim::handleFrame(hex("01 05 00 00 FF 00 8C 3A"), slave);
        QVERIFY(slave.coil(0));
        QVERIFY(!slave.coil(1));
        lcdsim::handleFrame(hex("00 05 00 01 FF 00 DC 2B"), slave);
        QVERIFY(slave.coil(1));
        lcdsim::handleFrame(hex("01 05 00 01 00 00 9C 0A"), slave);
        QVERIFY(!slave.coil(1));
        QVERIFY(slave.coil(0));

        lcdsim::handleFrame(hex("01 06 00 18 12 34 04 BA"), slave);
        QCOMPARE(slave.holdingRegister(24), quint16(0x1234));
        lcdsim::handleFrame(hex("01 05 00 00 12 34 C0 BD"), slave);
        QVERIFY(slave.coil(0));
    }

    void describesEachFrame_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("meaning");
        QTest::addColumn<QString>("answerMeaning");

        QTest::newRow("coil") << hex("01 05 00 00 FF 00 8C 3A") << QStringLiteral("write coil 0 ON")
                              << QStringLiteral("echo");
        QTest::newRow("register") << hex("01 06 00 01 00 03 98 0B")
                                  << QStringLiteral("write register 1 = 0x0003")
                                  << QStringLiteral("echo");
        QTest::newRow("text") << hex("01 10 00 00 00 01 02 48 69 50 7E")
                              << QStringLiteral("write 1 register(s) at 0: \"Hi\"")
                              << QStringLiteral("registers written");
        QTest::newRow("unknown function")
            << hex("01 03 00 00 00 01 84 0A") << QStringLiteral("function 0x03, not served")
            << QStringLiteral("exception 01 (illegal function)");
        QTest::newRow("register out of range")
            << hex("01 06 00 1E 00 03 A9 CD") << QStringLiteral("write register 30 = 0x0003")
            << QStringLiteral("exception 02 (illegal data address)");
    }

    void describesEachFrame()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, meaning);
        QFETCH(QString, answerMeaning);
        LcdSlave slave(1);
        const FrameOutcome outcome = lcdsim::handleFrame(request, slave);
        QCOMPARE(outcome.meaning, meaning);
        QCOMPARE(outcome.answerMeaning, answerMeaning);
    }
};

QTEST_GUILESS_MAIN(TestSimFrames)
#include "tst_simframes.moc"
