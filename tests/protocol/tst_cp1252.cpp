#include "cp1252.h"

#include <QtTest>

class TestCp1252 : public QObject
{
    Q_OBJECT

private slots:
    // The bytes where Windows-1252 differs from Latin-1, from the published code chart.
    void highRange_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("codePoint");
        const QList<std::pair<int, int>> chart = {
            {0x80, 0x20AC}, {0x81, 0x0081}, {0x82, 0x201A}, {0x83, 0x0192}, {0x84, 0x201E},
            {0x85, 0x2026}, {0x86, 0x2020}, {0x87, 0x2021}, {0x88, 0x02C6}, {0x89, 0x2030},
            {0x8A, 0x0160}, {0x8B, 0x2039}, {0x8C, 0x0152}, {0x8D, 0x008D}, {0x8E, 0x017D},
            {0x8F, 0x008F}, {0x90, 0x0090}, {0x91, 0x2018}, {0x92, 0x2019}, {0x93, 0x201C},
            {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013}, {0x97, 0x2014}, {0x98, 0x02DC},
            {0x99, 0x2122}, {0x9A, 0x0161}, {0x9B, 0x203A}, {0x9C, 0x0153}, {0x9D, 0x009D},
            {0x9E, 0x017E}, {0x9F, 0x0178},
        };
        for (const auto &[byte, codePoint] : chart)
            QTest::addRow("0x%X", byte) << byte << codePoint;
    }

    void highRange()
    {
        QFETCH(int, byte);
        QFETCH(int, codePoint);
        const QByteArray bytes(1, static_cast<char>(byte));
        const QString text(QChar(static_cast<char16_t>(codePoint)));
        QCOMPARE(cp1252::decode(bytes), text);
        QCOMPARE(cp1252::encode(text), bytes);
    }

    void latin1RangeIsIdentity()
    {
        for (int byte = 0; byte < 0x100; ++byte) {
            if (byte >= 0x80 && byte < 0xA0)
                continue;
            const QString decoded = cp1252::decode(QByteArray(1, static_cast<char>(byte)));
            QCOMPARE(decoded.size(), 1);
            QCOMPARE(int(decoded.at(0).unicode()), byte);
        }
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int byte = 0; byte < 0x100; ++byte)
            all.append(static_cast<char>(byte));
        const QString text = cp1252::decode(all);
        QCOMPARE(text.size(), all.size());
        QCOMPARE(cp1252::encode(text), all);
    }

    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("ascii") << QStringLiteral("Pravix 2x16 ~!") << QByteArray("Pravix 2x16 ~!");
        QTest::newRow("euro") << QStringLiteral("\u20AC") << QByteArray("\x80");
        QTest::newRow("e acute") << QStringLiteral("caf\u00E9") << QByteArray("caf\xE9");
        QTest::newRow("y diaeresis") << QStringLiteral("\u00FF") << QByteArray("\xFF");
        QTest::newRow("cjk") << QStringLiteral("\u4E2D") << QByteArray("?");
        QTest::newRow("latin extended") << QStringLiteral("\u0100") << QByteArray("?");
        QTest::newRow("c1 control taken by the euro")
            << QStringLiteral("\u0080") << QByteArray("?");
        QTest::newRow("emoji is one character") << QStringLiteral("\U0001F600") << QByteArray("?");
        QTest::newRow("emoji between letters")
            << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("two emoji") << QStringLiteral("\U0001F600\U0001F601") << QByteArray("??");
        QTest::newRow("lone high surrogate")
            << QString(QChar(0xD83D)) + QLatin1Char('x') << QByteArray("?x");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("?");
        QTest::newRow("nul stays") << QString(QChar(0)) << QByteArray(1, '\0');
        QTest::newRow("smart quotes and dash")
            << QStringLiteral("\u201CHi\u201D \u2013 \u2122") << QByteArray("\x93Hi\x94 \x96 \x99");
    }

    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(cp1252::encode(text), bytes);
    }
};

QTEST_GUILESS_MAIN(TestCp1252)
#include "tst_cp1252.moc"
