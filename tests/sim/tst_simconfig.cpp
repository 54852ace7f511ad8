#include "configimages.h"
#include "displaysetup.h"
#include "framehandler.h"
#include "lcdslave.h"

#include <QtTest>

using lcdsim::DisplaySetup;
using lcdsim::LcdSlave;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

} // namespace

// Configuration images: recognised by their length, accepted only with a right checksum, and
// applied to the simulated display.
class TestSimConfig : public QObject
{
    Q_OBJECT

private slots:
    void decodesTheDefaultImage()
    {
        QCOMPARE(defaultImage().size(), DisplaySetup::imageSize);
        QString whyNot;
        const auto setup = DisplaySetup::fromImage(defaultImage(), &whyNot);
        QVERIFY2(setup, qPrintable(whyNot));
        QCOMPARE(setup->slaveId, 1);
        QCOMPARE(setup->baudRate(), 9600);
        QCOMPARE(setup->formatText(), QStringLiteral("8N1"));
        QCOMPARE(setup->startupScreens[0], 0);
        QCOMPARE(setup->startupScreens[1], 0);
        QCOMPARE(setup->fields[0].width, 5);
        QCOMPARE(setup->fields[1].width, 5);
        for (const QByteArray &message : setup->messages)
            QCOMPARE(message, QByteArray(16, ' '));
    }

    void decodesTheHelloImage()
    {
        QCOMPARE(helloImage().size(), DisplaySetup::imageSize);
        QString whyNot;
        const auto setup = DisplaySetup::fromImage(helloImage(), &whyNot);
        QVERIFY2(setup, qPrintable(whyNot));
        QCOMPARE(setup->slaveId, 7);
        QCOMPARE(setup->baudRate(), 19200);
        QCOMPARE(setup->formatText(), QStringLiteral("8N2"));
        QCOMPARE(setup->messages[0], QByteArray("HELLO           "));
        QCOMPARE(setup->fields[0].decimalPoint, 2);
        QCOMPARE(setup->fields[1].decimalPoint, 1);
        QCOMPARE(setup->fields[0].startPoint, 3);
        QCOMPARE(setup->fields[1].startPoint, 0);
        QCOMPARE(setup->startupScreens[0], 1);
        QCOMPARE(setup->startupScreens[1], 0);
        QCOMPARE(setup->fields[0].width, 4);
        QCOMPARE(setup->fields[1].width, 5);
    }

    void codesInWords_data()
    {
        QTest::addColumn<int>("baudCode");
        QTest::addColumn<int>("formatCode");
        QTest::addColumn<QString>("baud");
        QTest::addColumn<QString>("format");

        QTest::newRow("9600 8N1") << 36 << 0xC0 << QStringLiteral("9600") << QStringLiteral("8N1");
        QTest::newRow("19200 8N2")
            << 18 << 0xC2 << QStringLiteral("19200") << QStringLiteral("8N2");
        QTest::newRow("38400 8E1") << 9 << 0xD0 << QStringLiteral("38400") << QStringLiteral("8E1");
        QTest::newRow("unknown codes") << 7 << 0xC1 << QStringLiteral("unknown baud code 7")
                                       << QStringLiteral("unknown format code 0xC1");
    }

    void codesInWords()
    {
        QFETCH(int, baudCode);
        QFETCH(int, formatCode);
        QFETCH(QString, baud);
        QFETCH(QString, format);
        DisplaySetup setup;
        setup.baudCode = baudCode;
        setup.formatCode = formatCode;
        QCOMPARE(setup.baudText(), baud);
        QCOMPARE(setup.formatText(), format);
    }

    void appliesTheHelloImage()
    {
        LcdSlave slave(1);
        slave.writeText(8, "line one");
        const lcdsim::FrameOutcome outcome = lcdsim::handleFrame(helloImage(), slave);
        QVERIFY(outcome.answer.isEmpty());
        QVERIFY2(outcome.meaning.startsWith(QStringLiteral("config image: ID 7, 19200 8N2, ")),
                 qPrintable(outcome.meaning));
        QVERIFY2(outcome.meaning.endsWith(QStringLiteral("; now answering to slave 7")),
                 qPrintable(outcome.meaning));
        QVERIFY2(outcome.meaning.contains(QStringLiteral("; now listening at 19200 8N2;")),
                 qPrintable(outcome.meaning));
        QCOMPARE(slave.slaveId(), 7);
        QCOMPARE(slave.lineSettings().text(), QStringLiteral("19200 8N2"));
        // Each line shows its start-up screen: message 1 on line 0, blanks for None on line 1.
        QCOMPARE(slave.line(0), QByteArray("HELLO           "));
        QCOMPARE(slave.line(1), QByteArray(16, ' '));
        QVERIFY(slave.setup());
        QCOMPARE(slave.setup()->baudRate(), 19200);
    }

    void answersToTheNewIdOnly()
    {
        LcdSlave slave(1);
        lcdsim::handleFrame(helloImage(), slave);
        QVERIFY(lcdsim::handleFrame(hex("01 06 00 01 00 03 98 0B"), slave).answer.isEmpty());
        const QByteArray toSeven = hex("07 06 00 02 41 42 98 0D");
        QCOMPARE(lcdsim::handleFrame(toSeven, slave).answer, toSeven);

        lcdsim::handleFrame(defaultImage(), slave);
        QCOMPARE(slave.slaveId(), 1);
        QVERIFY(lcdsim::handleFrame(toSeven, slave).answer.isEmpty());
    }

    void rejectsAChangedImage_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");

        QTest::newRow("message byte") << 3 << int('h');
        QTest::newRow("baud code") << 96 << 36;
        QTest::newRow("slave ID") << 98 << 9;
        QTest::newRow("start-up screen") << 104 << 2;
        QTest::newRow("checksum") << 107 << 0xBE;
        QTest::newRow("complement") << 108 << 0x42;
        // Bytes 0 to 108 then add up to 512, but 107 and 108 no longer complement each other.
        QTest::newRow("complement evening out the whole sum") << 108 << 0x82;
        QTest::newRow("reserved byte") << 109 << 1;
    }

    void rejectsAChangedImage()
    {
        QFETCH(int, index);
        QFETCH(int, value);
        QByteArray image = helloImage();
        QVERIFY(static_cast<quint8>(image.at(index)) != value);
        image[index] = static_cast<char>(value);

        LcdSlave slave(1);
        const lcdsim::FrameOutcome outcome = lcdsim::handleFrame(image, slave);
        QVERIFY(outcome.answer.isEmpty());
        QVERIFY2(outcome.meaning.startsWith(QStringLiteral("config image: ")) &&
                     outcome.meaning.endsWith(QStringLiteral(", ignored")),
                 qPrintable(outcome.meaning));
        QCOMPARE(slave.slaveId(), 1);
        QCOMPARE(slave.line(0), QByteArray(16, ' '));
        QVERIFY(!slave.setup());
    }

    void keepsTheAddressWhenTheIdIsNoSlaveAddress()
    {
        // All zeros sum to zero, so the checksum holds; ID 0 is the broadcast address.
        LcdSlave slave(3);
        const lcdsim::FrameOutcome outcome =
            lcdsim::handleFrame(QByteArray(DisplaySetup::imageSize, '\0'), slave);
        QVERIFY(slave.setup());
        QCOMPARE(slave.slaveId(), 3);
        QVERIFY2(outcome.meaning.contains(QStringLiteral("still answering to 3")),
                 qPrintable(outcome.meaning));
    }

    void aBurstOfAnotherLengthIsNoImage_data()
    {
        QTest::addColumn<QByteArray>("burst");
        QTest::newRow("one byte short") << helloImage().left(109);
        QTest::newRow("one byte more") << helloImage() + QByteArray(1, '\0');
    }

    void aBurstOfAnotherLengthIsNoImage()
    {
        QFETCH(QByteArray, burst);
        LcdSlave slave(1);
        const lcdsim::FrameOutcome outcome = lcdsim::handleFrame(burst, slave);
        QCOMPARE(outcome.meaning, QStringLiteral("bad CRC, ignored"));
        QCOMPARE(slave.slaveId(), 1);
        QVERIFY(!slave.setup());
    }
};

QTEST_GUILESS_MAIN(TestSimConfig)
#include "tst_simconfig.moc"
