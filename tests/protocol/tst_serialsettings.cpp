#include "serialsettings.h"

#include <QtTest>

class TestSerialSettings : public QObject
{
    Q_OBJECT

private slots:
    void acceptsTheNineForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("even");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("bitsPerCharacter");
        const QList<int> bauds{9600, 19200, 38400};
        for (int baud : bauds) {
            const QString b = QString::number(baud);
            QTest::addRow("%d,n,8,1", baud) << b + ",n,8,1" << baud << false << 1 << 10;
            QTest::addRow("%d,n,8,2", baud) << b + ",n,8,2" << baud << false << 2 << 11;
            QTest::addRow("%d,e,8,1", baud) << b + ",e,8,1" << baud << true << 1 << 11;
        }
    }

    void acceptsTheNineForms()
    {
        QFETCH(QString, text);
        QFETCH(int, baud);
        QFETCH(bool, even);
        QFETCH(int, stopBits);
        QFETCH(int, bitsPerCharacter);
        const std::optional<SerialSettings> parsed = SerialSettings::parse(text);
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->text, text);
        QCOMPARE(parsed->baudRate, baud);
        QCOMPARE(parsed->evenParity, even);
        QCOMPARE(parsed->dataBits, 8);
        QCOMPARE(parsed->stopBits, stopBits);
        QCOMPARE(parsed->bitsPerCharacter(), bitsPerCharacter);
    }

    void rejectsEverythingElse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("baud only") << "9600";
        QTest::newRow("format only") << "n,8,1";
        QTest::newRow("missing stop bits") << "9600,n,8";
        QTest::newRow("extra field") << "9600,n,8,1,1";
        QTest::newRow("trailing comma") << "9600,n,8,1,";
        QTest::newRow("leading blank") << " 9600,n,8,1";
        QTest::newRow("trailing blank") << "9600,n,8,1 ";
        QTest::newRow("blank after comma") << "9600, n,8,1";
        QTest::newRow("upper-case parity") << "9600,N,8,1";
        QTest::newRow("other baud") << "4800,n,8,1";
        QTest::newRow("leading zero") << "09600,n,8,1";
        QTest::newRow("odd parity") << "9600,o,8,1";
        QTest::newRow("even parity two stops") << "9600,e,8,2";
        QTest::newRow("seven data bits") << "9600,n,7,1";
        QTest::newRow("semicolons") << "9600;n;8;1";
        QTest::newRow("format swapped") << "n,8,1,9600";
    }

    void rejectsEverythingElse()
    {
        QFETCH(QString, text);
        QVERIFY(!SerialSettings::parse(text).has_value());
    }

    // Every list a window or option offers comes from the table: its order is theirs, and each
    // entry leads back to the same line by every road.
    void tableAndItsLookups()
    {
        const auto &all = SerialSettings::all();
        QCOMPARE(SerialSettings::standard().text, QString("9600,n,8,1"));
        QCOMPARE(all[5].label(), QString("19200 8E1"));
        for (size_t i = 0; i < all.size(); ++i) {
            const SerialSettings &line = all[i];
            const int baud = int(i) / 3;
            const int format = int(i) % 3;
            QCOMPARE(QString::number(line.baudRate), SerialSettings::baudNames().at(baud));
            QCOMPARE(line.formatName, SerialSettings::formatNames().at(format));
            QCOMPARE(line.text, SerialSettings::baudNames().at(baud) + QLatin1Char(',') +
                                    SerialSettings::formatParts().at(format));
            QCOMPARE(SerialSettings::parse(line.text)->label(), line.label());
            QCOMPARE(SerialSettings::find(line.baudRate, line.formatName.toLower())->text,
                     line.text);
        }
        QVERIFY(!SerialSettings::find(4800, QStringLiteral("8N1")));
        QVERIFY(!SerialSettings::find(9600, QStringLiteral("8O1")));
    }
};

QTEST_GUILESS_MAIN(TestSerialSettings)
#include "tst_serialsettings.moc"
