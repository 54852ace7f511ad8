#include "mainwindowharness.h"
#include "tempsettings.h"

#include "modvariables.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The program and the simulated display on one pseudo-terminal: the real window, clicked,
// talking to the real pravix-lcd-sim process.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void messageReachesTheScreen();
    void misbehavingDisplay_data();
    void misbehavingDisplay();

private:
    //! Starts the simulator with these options and a main window connected to it.
    //! With localEcho, the settings file asks the window to expect its request back first.
    void startBoth(const QStringList &simOptions, bool localEcho = false);
    /*! With holdForAnswer, the wait does not end before the answer (or two seconds) is in; an
     * echoing line hands the request back in front of it. */
    void send16(const QString &message, bool holdForAnswer = true, bool echoed = false);
    QString simulatorLog();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<QProcess> m_sim;
    std::unique_ptr<frmMain> m_window;
    QByteArray m_log;
};

void TestEndToEnd::init()
{
    modVariables::resetAll();
    m_dir = std::make_unique<QTemporaryDir>();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
    m_log.clear();
}

void TestEndToEnd::cleanup()
{
    m_window.reset();
    if (m_sim) {
        m_sim->terminate();
        m_sim->waitForFinished(5000);
    }
    m_sim.reset();
    m_messages.reset();
    m_settings.reset();
    m_dir.reset();
}

void TestEndToEnd::startBoth(const QStringList &simOptions, bool localEcho)
{
    const QString link = m_dir->filePath(QStringLiteral("lcd"));
    m_sim = std::make_unique<QProcess>();
    m_sim->setProcessChannelMode(QProcess::MergedChannels);
    m_sim->start(QStringLiteral(SIM_EXECUTABLE),
                 QStringList{QStringLiteral("--no-window"), QStringLiteral("--link"), link} +
                     simOptions);
    QVERIFY(m_sim->waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(link), 5000);

    m_window = makeWindowOnLine(*m_settings, link, localEcho ? "LocalEcho=1\n" : "");
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(control<QPushButton>(*m_window, "cmdConnect")->text(), QString("Disconnect"));
}

void TestEndToEnd::send16(const QString &message, bool holdForAnswer, bool echoed)
{
    const int requestBytes = 9 + int(message.size());
    userTypes(control<QLineEdit>(*m_window, "txtMessage"), message);
    // The simulator runs in its own process: give its answer time to arrive on a busy machine
    // so that only the option under test decides the outcome.
    if (holdForAnswer)
        awaitAnswerDuringNextWait(*m_window, 8 + (echoed ? requestBytes : 0));
    QVERIFY(userSends(*m_window, "cmdSend16"));
}

QString TestEndToEnd::simulatorLog()
{
    m_log += m_sim->readAll();
    return QString::fromUtf8(m_log);
}

void TestEndToEnd::messageReachesTheScreen()
{
    startBoth({});
    send16(QStringLiteral("Hi"));
    QCOMPARE(control<QLabel>(*m_window, "lblTxData")->text(),
             QString("01 10 00 00 00 01 02 48 69 50 7E "));
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(), QString("01 10 00 00 00 01 01 C9 "));
    QTRY_VERIFY(simulatorLog().contains(QStringLiteral("\"Hi\"")));
    QVERIFY(m_messages->texts.isEmpty());
}

void TestEndToEnd::misbehavingDisplay_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("holdForAnswer");
    QTest::addColumn<bool>("localEcho");
    const QString answer = QStringLiteral("01 10 00 00 00 01 01 C9 ");
    QTest::newRow("silent") << QStringList{"--silent"} << "No Response from LCD" << true << false;
    // Holding for the answer would wait out the delay: a late answer is one the fixed wait misses.
    QTest::newRow("late") << QStringList{"--delay", "400"} << "No Response from LCD" << false
                          << false;
    QTest::newRow("bad CRC") << QStringList{"--bad-crc"} << "CRC Err" << true << false;
    QTest::newRow("first five bytes")
        << QStringList{"--truncate", "5"} << "Incomplete Frame" << true << false;
    // An adapter that hands the request back: its copy in front of the answer spoils the CRC
    // check unless the settings file says to expect it.
    QTest::newRow("echo") << QStringList{"--echo"} << "CRC Err" << true << false;
    QTest::newRow("echo expected") << QStringList{"--echo"} << answer << true << true;
    QTest::newRow("echo expected, silent")
        << QStringList{"--echo", "--silent"} << "No Response from LCD" << true << true;
    QTest::newRow("echo expected, bad CRC")
        << QStringList{"--echo", "--bad-crc"} << "CRC Err" << true << true;
    QTest::newRow("echo expected, first five bytes")
        << QStringList{"--echo", "--truncate", "5"} << "Incomplete Frame" << true << true;
    QTest::newRow("expected echo that never comes") << QStringList{} << answer << true << true;
}

void TestEndToEnd::misbehavingDisplay()
{
    QFETCH(QStringList, options);
    QFETCH(QString, outcome);
    QFETCH(bool, holdForAnswer);
    QFETCH(bool, localEcho);
    startBoth(options, localEcho);
    send16(QStringLiteral("Hi"), holdForAnswer, options.contains(QStringLiteral("--echo")));
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(), outcome);
    // An echo that is expected and taken off is no fault, nor is the time it arrived at.
    if (localEcho)
        QVERIFY(m_window->recorder()
                    .model()
                    ->diagnosis()
                    .findings(DiagnosisReader::TrafficWindow)
                    .isEmpty());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
