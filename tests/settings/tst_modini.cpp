#include "dirpath.h"
#include "modini.h"
#include "tempsettings.h"

#include <QtTest>

class TestModIni : public QObject
{
    Q_OBJECT

private slots:
    void appDirEndsWithOneSlash()
    {
        const QString dir = modINI::AppDir();
        QCOMPARE(dir, QCoreApplication::applicationDirPath() + QLatin1Char('/'));
        QVERIFY(!dir.endsWith(QStringLiteral("//")));
        QVERIFY(QFileInfo(dir).isDir());
    }

    void trailingSlash_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::addColumn<QString>("withSlash");
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("directory") << "/opt/pravix"
                                   << "/opt/pravix/";
        QTest::newRow("directory with slash") << "/opt/pravix/"
                                              << "/opt/pravix/";
        QTest::newRow("drive root") << "C:/"
                                    << "C:/";
        QTest::newRow("drive directory") << "C:/Pravix"
                                         << "C:/Pravix/";
    }

    void trailingSlash()
    {
        QFETCH(QString, dir);
        QFETCH(QString, withSlash);
        QCOMPARE(withTrailingSlash(dir), withSlash);
    }

    void filePath()
    {
        modINI::setIniFilePath(QString());
        QCOMPARE(modINI::iniFilePath(), modINI::AppDir() + QStringLiteral("pravix.ini"));
        {
            TempSettings settings;
            QCOMPARE(modINI::iniFilePath(), settings.path());
        }
        QCOMPARE(modINI::iniFilePath(), modINI::AppDir() + QStringLiteral("pravix.ini"));
    }

    void missingGivesEmpty()
    {
        TempSettings settings;
        QCOMPARE(modINI::ReadIni("Settings", "CommPort"), QString());
        QVERIFY(!QFile::exists(settings.path()));
        settings.writeRaw("[Settings]\nSetting=9600,n,8,1\n");
        QCOMPARE(modINI::ReadIni("Settings", "CommPort"), QString());
        QCOMPARE(modINI::ReadIni("LCD", "Slave"), QString());
    }

    void writeCreatesFile()
    {
        TempSettings settings;
        modINI::WriteIni("Settings", "Setting", "19200,e,8,1");
        QCOMPARE(settings.readRaw(), QByteArray("[Settings]\nSetting=19200,e,8,1\n"));
        QCOMPARE(modINI::ReadIni("Settings", "Setting"), QStringLiteral("19200,e,8,1"));
    }

    void everyValueOfTheProgram()
    {
        TempSettings settings;
        const QList<std::array<QString, 3>> values = {
            {"Settings", "CommPort", "20"},
            {"Settings", "Setting", "38400,n,8,2"},
            {"LCD", "Slave", "247"},
            {"LCD", "row1", "  Temperature   "},
            {"LCD", "row2", "\"Pressure\""},
            {"LCD", "row3", "caf\u00E9 \u20AC"},
            {"LCD", "row4", ""},
            {"LCD", "row5", " "},
            {"LCD", "row6", "Line 6 \"end\"  "},
        };
        for (const auto &[section, key, value] : values)
            modINI::WriteIni(section, key, value);
        for (const auto &[section, key, value] : values)
            QCOMPARE(modINI::ReadIni(section, key), value);
        QCOMPARE(settings.readRaw().count('\n'), 11);
    }

    void longValuesAreCut_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("readBack");
        const QString letters = QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyz");
        const QString long300 = letters.repeated(9).left(300);
        QTest::newRow("253") << long300.left(253) << long300.left(253);
        QTest::newRow("254") << long300.left(254) << long300.left(254);
        QTest::newRow("255") << long300.left(255) << long300.left(254);
        QTest::newRow("300") << long300 << long300.left(254);
        const QString emoji = QStringLiteral("\U0001F600");
        QTest::newRow("300 emoji") << emoji.repeated(300) << emoji.repeated(254);
        QTest::newRow("pair across the limit")
            << QString(253, QLatin1Char('x')) + emoji + QLatin1Char('y')
            << QString(253, QLatin1Char('x')) + emoji;
    }

    void longValuesAreCut()
    {
        QFETCH(QString, value);
        QFETCH(QString, readBack);
        TempSettings settings;
        modINI::WriteIni("LCD", "row1", value);
        QCOMPARE(modINI::ReadIni("LCD", "row1"), readBack);
        QVERIFY(settings.readRaw().contains(value.toUtf8()));
    }

    // Each call goes to the file by name, so changes made between calls are seen at once.
    void nothingIsCached()
    {
        TempSettings settings;
        modINI::WriteIni("LCD", "Slave", "5");
        settings.writeRaw("[LCD]\r\nSlave=6\r\n");
        QCOMPARE(modINI::ReadIni("LCD", "Slave"), QStringLiteral("6"));
        QVERIFY(QFile::remove(settings.path()));
        QCOMPARE(modINI::ReadIni("LCD", "Slave"), QString());

        TempSettings other;
        modINI::WriteIni("LCD", "Slave", "7");
        QVERIFY(!QFile::exists(settings.path()));
        QCOMPARE(other.readRaw(), QByteArray("[LCD]\nSlave=7\n"));
    }

    void failedWriteGoesUnnoticed()
    {
        TempSettings settings;
        QVERIFY(QDir().mkdir(settings.path()));
        modINI::WriteIni("LCD", "Slave", "5");
        QCOMPARE(modINI::ReadIni("LCD", "Slave"), QString());
        QVERIFY(QFileInfo(settings.path()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestModIni)
#include "tst_modini.moc"
