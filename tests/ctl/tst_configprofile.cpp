#include "configprofile.h"

#include <QtTest>

using ctl::ConfigProfile;

namespace {

QString storedRow(int index)
{
    return QStringLiteral("stored row %1 longer than sixteen").arg(index + 1);
}

std::optional<ConfigProfile> read(const QByteArray &contents, QString *error)
{
    return ctl::readProfile(contents, QStringLiteral("board.ini"), storedRow, error);
}

} // namespace

class tst_configprofile : public QObject
{
    Q_OBJECT

private slots:
    void everyKindOfError_data();
    void everyKindOfError();
    void namesValuesAndFallbacks();
    void defaultProfileReadsAsTheWindowLoads();
};

void tst_configprofile::everyKindOfError_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("error");

    QTest::newRow("unreadable line") << QByteArray("; fine\n[Display]\nID 7\n")
                                     << R"(board.ini line 3: "ID 7" is neither [section], )"
                                        "key=value nor a comment";
    QTest::newRow("unknown section")
        << QByteArray("[Display]\nID=2\n\n[Line2]\n")
        << "board.ini line 4: unknown section [Line2]; sections are [Display], [Messages], "
           "[Line0], [Line1]";
    QTest::newRow("key before any section")
        << QByteArray("ID=2\n") << "board.ini line 1: key ID stands before any section";
    QTest::newRow("unknown key") << QByteArray("[line0]\nwidth=2\nSpeed=3\n")
                                 << "board.ini line 3: unknown key Speed in [Line0]; keys are "
                                    "Width, DecimalPoint, StartPoint, StartupScreen";
    QTest::newRow("message 7") << QByteArray("[Messages]\n7=x\n")
                               << "board.ini line 2: unknown key 7 in [Messages]; keys are 1, 2, "
                                  "3, 4, 5, 6";
    QTest::newRow("number out of range") << QByteArray("[Display]\nID=248\n")
                                         << "board.ini line 2: [Display] ID=248 is outside 1-247";
    QTest::newRow("width 0") << QByteArray("[Line1]\nWidth=0\n")
                             << "board.ini line 2: [Line1] Width=0 is outside 1-5";
    QTest::newRow("not a number") << QByteArray("[Line0]\nStartPoint=-1\n")
                                  << "board.ini line 2: [Line0] StartPoint=-1 is not a number; "
                                     "allowed: 0-13";
    QTest::newRow("choice") << QByteArray("[Display]\nBaud=4800\n")
                            << "board.ini line 2: [Display] Baud=4800 is not one of 9600, 19200, "
                               "38400";
    QTest::newRow("startup screen")
        << QByteArray("[Line0]\nStartupScreen=Message 7\n")
        << "board.ini line 2: [Line0] StartupScreen=Message 7 is not one of None, Message 1, "
           "Message 2, Message 3, Message 4, Message 5, Message 6";
    QTest::newRow("long message") << QByteArray("[Messages]\n1=\"  seventeen chars\"\n")
                                  << "board.ini line 2: [Messages] 1=  seventeen chars has 17 "
                                     "characters; at most 16 are allowed";
    // The first of two equal keys counts, as the settings layer reads, but the second must
    // still be a valid line.
    QTest::newRow("bad duplicate") << QByteArray("[Display]\nID=3\nid=0\n")
                                   << "board.ini line 3: [Display] ID=0 is outside 1-247";
}

void tst_configprofile::everyKindOfError()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, error);

    QString reported;
    QVERIFY(!read(contents, &reported));
    QVERIFY2(reported.startsWith(error), qPrintable(reported));
}

void tst_configprofile::namesValuesAndFallbacks()
{
    QString error;
    const std::optional<ConfigProfile> profile =
        read("\xEF\xBB\xBF# comment\r\n [ display ] \r\n id = 200 \r\nID=5\r\nformat=8e1\r\n"
             "[MESSAGES]\r\n3=\"  two blanks "
             "\"\r\n1=caf\xC3\xA9\r\n[Line1]\r\nstartupscreen=message 6\r\n"
             "Width=1\r\n",
             &error);
    QVERIFY2(profile, qPrintable(error));
    QCOMPARE(profile->choices.slaveId, 199);
    QCOMPARE(profile->choices.baudRate, 0);
    QCOMPARE(profile->choices.dataFormat, 2);
    QCOMPARE(profile->choices.startupScreen2, 6);
    QCOMPARE(profile->choices.width2, 0);
    QCOMPARE(profile->choices.width1, 4);
    QCOMPARE(profile->messages[0], QString::fromUtf8("caf\xC3\xA9"));
    QCOMPARE(profile->messages[2], QStringLiteral("  two blanks "));
    // A message left out is the row the window would load, cut as the window cuts it.
    QCOMPARE(profile->messages[1], storedRow(1).left(16));
}

void tst_configprofile::defaultProfileReadsAsTheWindowLoads()
{
    QString error;
    const std::optional<ConfigProfile> profile = read(ctl::defaultProfile().toUtf8(), &error);
    QVERIFY2(profile, qPrintable(error));
    QCOMPARE(
        ctl::uploadImage(*profile).toHex(' '),
        (QByteArray(96, ' ') + QByteArray::fromHex("24C0010000000000000505EF1100")).toHex(' '));
}

QTEST_GUILESS_MAIN(tst_configprofile)
#include "tst_configprofile.moc"
