#include "crc16.h"
#include "modbusanswer.h"

#include <QtTest>

using modbusanswer::Verdict;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray framed(const char *text)
{
    return modbuscrc::withCrc(hex(text));
}

} // namespace

// What the window, pravixctl, the diagnosis and a display search all take an answer to be.
class TestModbusAnswer : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<Verdict>("verdict");

        const QByteArray write06 = hex("010600010003980B");
        const QByteArray probe16 = framed("011000000000");
        QTest::newRow("nothing") << write06 << QByteArray() << Verdict::Nothing;
        QTest::newRow("one byte") << write06 << hex("01") << Verdict::Partial;
        QTest::newRow("seven of eight") << write06 << write06.left(7) << Verdict::Partial;
        QTest::newRow("whole answer") << write06 << write06 << Verdict::Answer;
        QTest::newRow("whole, CRC bytes swapped")
            << write06 << hex("0106000100030B98") << Verdict::CrcError;
        QTest::newRow("first eight decide, good")
            << write06 << write06 + hex("AA55") << Verdict::Answer;
        // The good frame starts one byte late: a stale byte in front spoils the answer.
        QTest::newRow("first eight decide, bad")
            << write06 << hex("FF") + write06 << Verdict::CrcError;
        QTest::newRow("exception") << write06 << framed("018602") << Verdict::Exception;
        QTest::newRow("exception, bad CRC") << write06 << hex("0186020000") << Verdict::Partial;
        QTest::newRow("exception and a byte more")
            << write06 << framed("018602") + hex("00") << Verdict::Partial;
        QTest::newRow("exception from another slave")
            << write06 << framed("028602") << Verdict::OtherDevice;
        QTest::newRow("exception of another function")
            << write06 << framed("018302") << Verdict::OtherDevice;
        QTest::newRow("whole from another slave")
            << write06 << framed("020600010003") << Verdict::OtherDevice;
        QTest::newRow("whole with another function")
            << write06 << framed("010500010003") << Verdict::OtherDevice;
        // A read answer of one register is 7 bytes: another device's, though short.
        QTest::newRow("short frame of another device")
            << write06 << framed("0203020007") << Verdict::OtherDevice;
        QTest::newRow("five bytes of the right function")
            << write06 << framed("010600") << Verdict::Partial;
        QTest::newRow("five noise bytes") << write06 << hex("13579BDF02") << Verdict::Partial;
        QTest::newRow("eight noise bytes")
            << write06 << hex("13579BDF02468ACE") << Verdict::CrcError;
        QTest::newRow("probe answered") << probe16 << framed("011000000000") << Verdict::Answer;
        QTest::newRow("probe refused") << probe16 << framed("019003") << Verdict::Exception;
        // An adapter's echo of a function 16 request is longer than any answer to it.
        QTest::newRow("echo of function 16")
            << framed("0110000000010248") << framed("0110000000010248") << Verdict::CrcError;
        QTest::newRow("request without function")
            << hex("01") << framed("020600010003") << Verdict::Answer;
    }

    void verdicts()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, received);
        QFETCH(Verdict, verdict);
        QCOMPARE(modbusanswer::judge(request, received), verdict);
    }
};

QTEST_GUILESS_MAIN(TestModbusAnswer)
#include "tst_modbusanswer.moc"
