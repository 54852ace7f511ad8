#include "crc16.h"
#include "hextext.h"

#include <QtTest>

// The one hex formatter behind the monitor, the logs and the lists, and the frame check the
// simulator and the command line build their frames with.
class TestHexText : public QObject
{
    Q_OBJECT

private slots:
    void formsOfTheSameBytes()
    {
        const QByteArray frame = QByteArray::fromHex("0A00FFab");
        QCOMPARE(hextext::byte(0x0A), QString("0A"));
        QCOMPARE(hextext::byte(0xAB), QString("AB"));
        QCOMPARE(hextext::bytes(frame), QString("0A 00 FF AB"));
        QCOMPARE(hextext::monitor(frame), QString("0A 00 FF AB "));
        QCOMPARE(hextext::bytes(QByteArray()), QString());
        QCOMPARE(hextext::monitor(QByteArray()), QString());
        QCOMPARE(hextext::value(3, 4), QString("0x0003"));
        QCOMPARE(hextext::value(0xBEEF, 2), QString("0xEF"));
    }

    void crcIsAppendedLowByteFirstAndChecked()
    {
        const QByteArray request = QByteArray::fromHex("010500000000");
        QCOMPARE(modbuscrc::withCrc(request), QByteArray::fromHex("010500000000CDCA"));
        QVERIFY(modbuscrc::hasValidCrc(QByteArray::fromHex("010500000000CDCA")));
        QVERIFY(!modbuscrc::hasValidCrc(QByteArray::fromHex("010500000000CACD")));
        QVERIFY(!modbuscrc::hasValidCrc(QByteArray::fromHex("CDCA")));
    }
};

QTEST_APPLESS_MAIN(TestHexText)
#include "tst_hextext.moc"
