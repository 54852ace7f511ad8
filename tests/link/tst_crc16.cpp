#include "modcrc16.h"
#include "modvariables.h"

#include <QtTest>

using namespace modVariables;
using modcrc16::CalcCRC16;
using modcrc16::CheckCRC16;

class TestCrc16 : public QObject
{
    Q_OBJECT

private:
    static void loadTx(const QByteArray &bytes)
    {
        for (int i = 0; i < bytes.size(); ++i)
            TxBuf[static_cast<size_t>(i)] = static_cast<quint8>(bytes.at(i));
    }

private slots:
    void init() { resetAll(); }

    void startsEmpty()
    {
        QVERIFY(CrcHi.isEmpty());
        QVERIFY(CrcLo.isEmpty());
        QCOMPARE(TxBuf.size(), size_t(41));
    }

    void referenceValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("hi");
        QTest::addColumn<QString>("lo");
        QTest::newRow("nothing") << QByteArray() << "FF" << "FF";
        QTest::newRow("check string") << QByteArray("123456789") << "4B" << "37";
        QTest::newRow("06 leading zero") << QByteArray::fromHex("010600010003") << "0B" << "98";
        QTest::newRow("05 coil on") << QByteArray::fromHex("01050000FF00") << "3A" << "8C";
        QTest::newRow("05 coil 1 on") << QByteArray::fromHex("01050001FF00") << "FA" << "DD";
        QTest::newRow("16 Hi") << QByteArray::fromHex("01100000000102") + "Hi" << "7E" << "50";
        QTest::newRow("16 answer") << QByteArray::fromHex("011000000001") << "C9" << "01";
        QTest::newRow("16 empty") << QByteArray::fromHex("01100000000000") << "50" << "09";
    }

    void referenceValues()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, hi);
        QFETCH(QString, lo);
        loadTx(bytes);
        CalcCRC16(bytes.size());
        QCOMPARE(CrcHi, hi);
        QCOMPARE(CrcLo, lo);
    }

    void coversOnlyTheFirstNBytes()
    {
        loadTx(QByteArray::fromHex("010600010003FFFFFFFF"));
        CalcCRC16(6);
        QCOMPARE(CrcHi, QString("0B"));
        QCOMPARE(CrcLo, QString("98"));
    }

    void fullBufferMessage()
    {
        QByteArray request = QByteArray::fromHex("01100000001020");
        request += "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
        loadTx(request);
        CalcCRC16(39);
        QCOMPARE(CrcLo + CrcHi, QString("E43D"));
    }

    void checkAcceptsAndRejects_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("good");
        QTest::newRow("good") << QByteArray::fromHex("0106000100 03980B") << true;
        QTest::newRow("crc swapped") << QByteArray::fromHex("0106000100030B98") << false;
        QTest::newRow("payload changed") << QByteArray::fromHex("010600010004980B") << false;
        QTest::newRow("longer answer, good first eight")
            << QByteArray::fromHex("0106000100 03980BDEAD") << true;
        QTest::newRow("longer answer, bad first eight")
            << QByteArray::fromHex("0106000100030B98980B") << false;
    }

    void checkAcceptsAndRejects()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, good);
        RxBuf = frame;
        QCOMPARE(CheckCRC16(5), good);
    }

    void checkLeavesReceivedBytesAndTheirCrc()
    {
        TxBuf.fill(0xEE);
        RxBuf = QByteArray::fromHex("0106000100030B98");
        QVERIFY(!CheckCRC16(5));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(TxBuf[static_cast<size_t>(i)], static_cast<quint8>(RxBuf.at(i)));
        QCOMPARE(TxBuf[6], quint8(0xEE));
        QCOMPARE(CrcHi, QString("0B"));
        QCOMPARE(CrcLo, QString("98"));
    }
};

QTEST_APPLESS_MAIN(TestCrc16)
#include "tst_crc16.moc"
