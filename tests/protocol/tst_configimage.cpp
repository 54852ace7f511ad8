#include "configimage.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

using Messages = std::array<QString, ConfigImage::MessageCount>;

int sumOf(const ConfigImage &image, int first, int last)
{
    int sum = 0;
    for (int i = first; i <= last; ++i)
        sum += image.bytes()[static_cast<size_t>(i)];
    return sum;
}

QByteArray slice(const ConfigImage &image, int first, int count)
{
    return image.toByteArray().mid(first, count);
}

// A character the display's 8-bit set holds as itself: printable ASCII or Latin-1.
QChar randomOneByteCharacter(QRandomGenerator &random)
{
    const int code = static_cast<int>(random.bounded(0x20, 0x7F + 0x60));
    return QChar(code < 0x7F ? code : code - 0x7F + 0xA0);
}

} // namespace

class TestConfigImage : public QObject
{
    Q_OBJECT

private slots:
    void startsAllZero()
    {
        const ConfigImage image;
        QCOMPARE(image.toByteArray(), QByteArray(ConfigImage::Size, '\0'));
    }

    void messageSlots_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("slot");
        QTest::newRow("empty") << QString() << QByteArray(16, ' ');
        QTest::newRow("padded") << QStringLiteral("HELLO") << QByteArray("HELLO           ");
        QTest::newRow("sixteen unpadded")
            << QStringLiteral("ABCDEFGHIJKLMNOP") << QByteArray("ABCDEFGHIJKLMNOP");
        QTest::newRow("blanks kept") << QStringLiteral(" A ") << QByteArray(" A              ");
        QTest::newRow("e acute") << QStringLiteral("caf\u00E9")
                                 << QByteArray("caf\xE9            ");
        QTest::newRow("euro sign") << QStringLiteral("\u20AC1")
                                   << QByteArray("\x80"
                                                 "1              ");
        QTest::newRow("CJK") << QStringLiteral("\u4E2D") << QByteArray("?               ");
        // One character outside the basic plane is two UTF-16 units but one byte on the wire;
        // the next message must still start on its own slot.
        QTest::newRow("emoji") << QStringLiteral("\U0001F600A") << QByteArray("?A              ");
    }

    void messageSlots()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, slot);
        for (int index = 0; index < ConfigImage::MessageCount; ++index) {
            Messages messages;
            messages.fill(QStringLiteral("x"));
            messages[static_cast<size_t>(index)] = message;
            ConfigImage image;
            image.writeMessages(messages);
            for (int other = 0; other < ConfigImage::MessageCount; ++other) {
                const QByteArray expected = other == index ? slot : QByteArray("x               ");
                QCOMPARE(slice(image, other * 16, 16), expected);
            }
            QCOMPARE(slice(image, 96, 14), QByteArray(14, '\0'));
        }
    }

    void listBytes_data()
    {
        QTest::addColumn<int>("slaveId");
        QTest::addColumn<int>("width1");
        QTest::addColumn<int>("width2");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("load-time") << 0 << 4 << 4 << QByteArray::fromHex("2400010000000000000505");
        QTest::newRow("last entries") << 246 << 0 << 1
                                      << QByteArray::fromHex("240"
                                                             "0F70000000000000102");
        QTest::newRow("no slave entry")
            << -1 << 4 << 4 << QByteArray::fromHex("2400000000000000000505");
        QTest::newRow("no width entries")
            << 0 << -1 << -1 << QByteArray::fromHex("2400010000000000000000");
    }

    void listBytes()
    {
        QFETCH(int, slaveId);
        QFETCH(int, width1);
        QFETCH(int, width2);
        QFETCH(QByteArray, expected);
        ConfigChoices choices = ConfigChoices::loadTime();
        choices.dataFormat = -1;
        choices.slaveId = slaveId;
        choices.width1 = width1;
        choices.width2 = width2;
        ConfigImage image;
        image.writeChoices(choices);
        QCOMPARE(slice(image, 96, 11), expected);
    }

    void fieldBytesInTheirOrder()
    {
        ConfigChoices choices = ConfigChoices::loadTime();
        choices.decimalPoint1 = 1;
        choices.decimalPoint2 = 2;
        choices.startPoint1 = 3;
        choices.startPoint2 = 13;
        choices.startupScreen1 = 5;
        choices.startupScreen2 = 6;
        choices.width1 = 2;
        choices.width2 = 1;
        ConfigImage image;
        image.writeChoices(choices);
        QCOMPARE(slice(image, 99, 8), QByteArray::fromHex("0102030D05060302"));
    }

    void codesByPosition_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("baudCode");
        QTest::addColumn<int>("formatCode");
        QTest::newRow("9600 8N1") << 0 << 0x24 << 0xC0;
        QTest::newRow("19200 8N2") << 1 << 0x12 << 0xC2;
        QTest::newRow("38400 8E1") << 2 << 0x09 << 0xD0;
    }

    void codesByPosition()
    {
        QFETCH(int, position);
        QFETCH(int, baudCode);
        QFETCH(int, formatCode);
        ConfigChoices choices = ConfigChoices::loadTime();
        choices.baudRate = position;
        choices.dataFormat = position;
        ConfigImage image;
        image.writeChoices(choices);
        QCOMPARE(int(image.bytes()[96]), baudCode);
        QCOMPARE(int(image.bytes()[97]), formatCode);

        // Without a chosen entry the code of the last upload stays.
        choices.baudRate = -1;
        choices.dataFormat = -1;
        choices.slaveId = 9;
        image.writeChoices(choices);
        QCOMPARE(int(image.bytes()[96]), baudCode);
        QCOMPARE(int(image.bytes()[97]), formatCode);
        QCOMPARE(int(image.bytes()[98]), 10);
    }

    void codesOfAFreshImageStayZeroWithoutChoice()
    {
        ConfigChoices choices = ConfigChoices::loadTime();
        choices.baudRate = -1;
        choices.dataFormat = -1;
        ConfigImage image;
        image.writeChoices(choices);
        QCOMPARE(slice(image, 96, 3), QByteArray::fromHex("000001"));
    }

    void checksumOverRandomImages()
    {
        QRandomGenerator random(20240611);
        constexpr int imageCount = 5000;
        int zeroSums = 0;
        for (int n = 0; n < imageCount; ++n) {
            Messages messages;
            for (QString &message : messages) {
                const int length = static_cast<int>(random.bounded(17));
                for (int i = 0; i < length; ++i)
                    message += randomOneByteCharacter(random);
            }
            ConfigChoices choices;
            choices.baudRate = static_cast<int>(random.bounded(-1, 3));
            choices.dataFormat = static_cast<int>(random.bounded(-1, 3));
            choices.slaveId = static_cast<int>(random.bounded(-1, 247));
            choices.decimalPoint1 = static_cast<int>(random.bounded(5));
            choices.decimalPoint2 = static_cast<int>(random.bounded(5));
            choices.startPoint1 = static_cast<int>(random.bounded(14));
            choices.startPoint2 = static_cast<int>(random.bounded(14));
            choices.startupScreen1 = static_cast<int>(random.bounded(7));
            choices.startupScreen2 = static_cast<int>(random.bounded(7));
            choices.width1 = static_cast<int>(random.bounded(-1, 5));
            choices.width2 = static_cast<int>(random.bounded(-1, 5));

            ConfigImage image;
            image.writeMessages(messages);
            image.writeChoices(choices);
            image.writeChecksum();

            const int sum = sumOf(image, 0, 106) % 256;
            zeroSums += sum == 0 ? 1 : 0;
            QCOMPARE(int(image.bytes()[107]), sum);
            QCOMPARE((sumOf(image, 0, 106) + image.bytes()[108]) % 256, 0);
            if (sum != 0)
                QCOMPARE(image.bytes()[107] + image.bytes()[108], 256);
            QCOMPARE(int(image.bytes()[109]), 0);

            const int last = static_cast<int>(random.bounded(ConfigImage::Size));
            const ConfigImage::Checksum partial = image.ImageChecksum(last);
            QCOMPARE(int(partial.sum), sumOf(image, 0, last) % 256);
            QCOMPARE((partial.sum + partial.complement) % 256, 0);
        }
        qInfo("checked %d random images, %d of them summing to 0", imageCount, zeroSums);
    }

    void checksumOfAZeroSumIsZero()
    {
        // Blank messages sum to 12 x 256; 0x24 + 0xC0 + ID 18 + widths 5 and 5 make 256.
        ConfigChoices choices = ConfigChoices::loadTime();
        choices.slaveId = 17;
        ConfigImage image;
        image.writeMessages(Messages{});
        image.writeChoices(choices);
        QCOMPARE(sumOf(image, 0, 106), 13 * 256);
        const ConfigImage::Checksum checksum = image.ImageChecksum(ConfigImage::LastSummedByte);
        QCOMPARE(int(checksum.sum), 0);
        QCOMPARE(int(checksum.complement), 0);
        image.writeChecksum();
        QCOMPARE(slice(image, 107, 3), QByteArray(3, '\0'));
    }
};

QTEST_APPLESS_MAIN(TestConfigImage)
#include "tst_configimage.moc"
