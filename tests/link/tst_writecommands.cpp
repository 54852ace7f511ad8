#include "modvariables.h"
#include "writecommands.h"

#include <QtTest>

using namespace writecommands;

class TestWriteCommands : public QObject
{
    Q_OBJECT

private:
    static QByteArray sent(int length)
    {
        return QByteArray(reinterpret_cast<const char *>(modVariables::TxBuf.data()), length);
    }

private slots:
    void init() { modVariables::resetAll(); }

    void function05_data()
    {
        QTest::addColumn<int>("slave");
        QTest::addColumn<int>("coil");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("coil 0 on") << 0 << 0 << 1 << QByteArray::fromHex("01050000FF008C3A");
        QTest::newRow("defaults") << 0 << 0 << 0 << QByteArray::fromHex("010500000000CDCA");
        QTest::newRow("coil 1 on") << 0 << 1 << 1 << QByteArray::fromHex("01050001FF00DDFA");
        // A value list typed over has no position: the coil goes on.
        QTest::newRow("value typed over") << 0 << 0 << -1 << QByteArray::fromHex("01050000FF008C3A");
    }

    void function05()
    {
        QFETCH(int, slave);
        QFETCH(int, coil);
        QFETCH(int, value);
        QFETCH(QByteArray, request);
        QCOMPARE(buildFunction05(slave, coil, value), 8);
        QCOMPARE(sent(8).toHex(' '), request.toHex(' '));
    }

    void function06()
    {
        QCOMPARE(buildFunction06(0, 1, 0, 3), 8);
        QCOMPARE(sent(8), QByteArray::fromHex("010600010003980B"));
        buildFunction06(0, 24, 255, 0);
        QCOMPARE(quint8(modVariables::TxBuf[3]), quint8(0x18));
        QCOMPARE(quint8(modVariables::TxBuf[4]), quint8(0xFF));
    }

    void slaveTypedOverGoesToAddressZero()
    {
        buildFunction06(-1, 1, 0, 3);
        QCOMPARE(quint8(modVariables::TxBuf[0]), quint8(0));
        QCOMPARE(slaveAddress(246), 247);
    }

    void function16_data()
    {
        QTest::addColumn<int>("slave");
        QTest::addColumn<int>("start");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("Hi") << 0 << 0 << QByteArray("Hi")
                            << QByteArray::fromHex("01100000000102486950 7E");
        QTest::newRow("slave 2 start 3") << 1 << 3 << QByteArray("Hi")
                                         << QByteArray::fromHex("02100003000102486944BD");
        QTest::newRow("empty") << 0 << 0 << QByteArray() << QByteArray::fromHex("011000000000000950");
    }

    void function16()
    {
        QFETCH(int, slave);
        QFETCH(int, start);
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, request);
        QCOMPARE(buildFunction16(slave, start, message), request.size());
        QCOMPARE(sent(request.size()).toHex(' '), request.toHex(' '));
    }

    void function16FillsTheBufferExactly()
    {
        const QByteArray message("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
        QCOMPARE(buildFunction16(0, 0, message), 41);
        const QByteArray request = sent(41);
        QCOMPARE(quint8(request.at(5)), quint8(0x10));
        QCOMPARE(quint8(request.at(6)), quint8(0x20));
        QCOMPARE(request.mid(7, 32), message);
        QCOMPARE(request.right(2), QByteArray::fromHex("E43D"));
    }

    void oddLengthsRoundToTheEvenNeighbour_data()
    {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("registers");
        const int expected[][2] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {5, 2}, {7, 4}, {9, 4},
                                   {11, 6}, {31, 16}, {32, 16}};
        for (const auto &row : expected)
            QTest::addRow("%d bytes", row[0]) << row[0] << row[1];
    }

    void oddLengthsRoundToTheEvenNeighbour()
    {
        QFETCH(int, bytes);
        QFETCH(int, registers);
        QCOMPARE(registerCount(bytes), registers);
        buildFunction16(0, 0, QByteArray(bytes, 'x'));
        QCOMPARE(int(modVariables::TxBuf[5]), registers);
        QCOMPARE(int(modVariables::TxBuf[6]), bytes);
    }
};

QTEST_APPLESS_MAIN(TestWriteCommands)
#include "tst_writecommands.moc"
