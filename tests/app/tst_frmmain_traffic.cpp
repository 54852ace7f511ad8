#include "mainwindowharness.h"
#include "ptypair.h"
#include "tempsettings.h"

#include "frmconfiglcd.h"
#include "modvariables.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"
#include "trafficwindow.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <memory>
#include <thread>

namespace {

// Function 06, register 0 to 3, slave 1: what the window sends once the low byte is 3.
const QByteArray request06 = QByteArray::fromHex("010600000003C9CB");

} // namespace

// Every exchange and upload leaves one record with its bytes, outcome and timings, taken on a
// real line; the Traffic window shows them.
class TestFrmMainTraffic : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exchangeGivesOneRecord_data();
    void exchangeGivesOneRecord();
    void modalDialogDoesNotStretchTheWait_data();
    void modalDialogDoesNotStretchTheWait();
    void uploadGivesAWrittenRecord();
    void windowFollowsExchangesAndClears();

private:
    //! With localEcho, the settings file asks the window to expect its request back first.
    void connectOnLine(bool localEcho = false);
    TrafficModel &model() { return *m_window->recorder().model(); }
    void send06() { QVERIFY(userSends(*m_window, "cmdSend06")); }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<PtyPair> m_line;
    std::unique_ptr<frmMain> m_window;
};

void TestFrmMainTraffic::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void TestFrmMainTraffic::cleanup()
{
    m_window.reset();
    m_line.reset();
    m_messages.reset();
    m_settings.reset();
}

void TestFrmMainTraffic::connectOnLine(bool localEcho)
{
    m_line = std::make_unique<PtyPair>();
    QVERIFY(m_line->isValid());
    m_window =
        makeWindowOnLine(*m_settings, m_line->devicePath(), localEcho ? "LocalEcho=1\n" : "");
    userChooses(control<QComboBox>(*m_window, "cboDataL06"), 3);
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
}

void TestFrmMainTraffic::exchangeGivesOneRecord_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("echoed");
    QTest::newRow("answer") << request06 << 0 << int(TrafficOutcome::Answer) << false;
    QTest::newRow("silence") << QByteArray() << 0 << int(TrafficOutcome::NoResponse) << false;
    QTest::newRow("bad CRC") << QByteArray::fromHex("010600000003CBC9") << 0
                             << int(TrafficOutcome::CrcError) << false;
    QTest::newRow("five bytes") << QByteArray::fromHex("0186019083") << 0
                                << int(TrafficOutcome::Incomplete) << false;
    QTest::newRow("delayed answer") << request06 << 30 << int(TrafficOutcome::Answer) << false;
    // The echo comes back at once; the answer's time is the display's, not the echo's.
    QTest::newRow("delayed answer behind an echo")
        << request06 << 30 << int(TrafficOutcome::Answer) << true;
}

// The far end answers once it has the request, after the delay, as a slow display would. The
// window is held until the answer is in, so that a loaded machine cannot push it past the wait.
void TestFrmMainTraffic::exchangeGivesOneRecord()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, delayMs);
    QFETCH(int, outcome);
    QFETCH(bool, echoed);
    connectOnLine(echoed);
    std::thread farEnd([this, answer, delayMs, echoed] {
        if (m_line->readFar(request06.size()).size() < request06.size())
            return;
        if (echoed)
            m_line->writeFar(request06);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        m_line->writeFar(answer);
    });
    if (!answer.isEmpty())
        awaitAnswerDuringNextWait(*m_window, int(answer.size() + (echoed ? request06.size() : 0)));
    send06();
    farEnd.join();

    QCOMPARE(model().rowCount(), 1);
    const TrafficRecord &record = model().record(0);
    QCOMPARE(int(record.outcome), outcome);
    QCOMPARE(record.window, QStringLiteral("main"));
    QCOMPARE(record.device, m_line->devicePath());
    QCOMPARE(record.settings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(record.sent, request06);
    QCOMPARE(record.received, answer);
    // Ten thousand records are kept: each may hold its bytes, not a read buffer behind them.
    QVERIFY2(record.received.capacity() < 256,
             qPrintable(QString::number(record.received.capacity())));
    QVERIFY(qAbs(record.time.msecsTo(QDateTime::currentDateTime())) < 5000);
    // Three ticks of 20 ms, counted from the first tick after the write.
    QVERIFY2(record.waitMs >= 40, qPrintable(QString::number(record.waitMs)));
    if (answer.isEmpty()) {
        QVERIFY(!record.firstByteMs && !record.lastByteMs);
        return;
    }
    QVERIFY(record.firstByteMs && record.lastByteMs);
    QVERIFY(*record.firstByteMs <= *record.lastByteMs && *record.lastByteMs <= record.waitMs);
    // The far end's delay began only once it had the request, after the write returned: the
    // time is the display's answer, not the echo's, however late a busy machine made either.
    QVERIFY2(*record.firstByteMs >= delayMs, qPrintable(QString::number(*record.firstByteMs)));
    // An incomplete frame is peeked, not taken: its bytes still wait for the next answer.
    if (record.outcome == TrafficOutcome::Incomplete)
        QCOMPARE(m_window->serialPort().inBufferCount(), answer.size());
}

void TestFrmMainTraffic::modalDialogDoesNotStretchTheWait_data()
{
    QTest::addColumn<QString>("send");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("ticks");
    QTest::newRow("06") << "cmdSend06" << request06 << 3;
    QTest::newRow("16") << "cmdSend16" << QByteArray::fromHex("011000000001024869507E") << 5;
}

// A dialog opened during the wait (Save as CSV in the Traffic window, any message box) runs its
// own event loop for as long as it is open. The exchange still ends on its last tick, inside that
// loop: an answer that comes after the wait but while the dialog is open is no answer.
void TestFrmMainTraffic::modalDialogDoesNotStretchTheWait()
{
    QFETCH(QString, send);
    QFETCH(QByteArray, request);
    QFETCH(int, ticks);
    constexpr int tickMs = 20;
    constexpr int dialogOpenMs = 500;
    const int lateMs = ticks * tickMs + 100;
    connectOnLine();
    userTypes(control<QLineEdit>(*m_window, "txtMessage"), QStringLiteral("Hi"));
    std::thread farEnd([this, request, lateMs] {
        if (m_line->readFar(int(request.size())).size() < request.size())
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(lateMs));
        m_line->writeFar(request06);
    });

    // The program's first dialog loads what every dialog needs, which holds the thread for tens of
    // milliseconds; paid here, so that what the wait sees is the dialog's event loop alone.
    {
        QDialog first(m_window.get());
        first.show();
        QCoreApplication::processEvents();
    }
    QElapsedTimer sinceSend;
    qint64 endedAtMs = -1;
    int ticksAtEnd = -1;
    connect(m_window.get(), &frmMain::exchangeEnded, this, [&] {
        endedAtMs = sinceSend.elapsed();
        ticksAtEnd = modVariables::TickCount;
    });
    int recordsWhileOpen = -1;
    QString shownWhileOpen;
    // Opened from a timer of its own, as from a click: the wait's timer is left free to tick.
    duringNextWait(*m_window, [&] {
        QTimer::singleShot(0, m_window.get(), [&] {
            QDialog dialog(m_window.get());
            QTimer::singleShot(dialogOpenMs, &dialog, [&] {
                recordsWhileOpen = model().rowCount();
                shownWhileOpen = control<QLabel>(*m_window, "lblRxData")->text();
                dialog.accept();
            });
            dialog.exec();
        });
    });
    sinceSend.start();
    QVERIFY(userSends(*m_window, qPrintable(send)));
    farEnd.join();

    QCOMPARE(recordsWhileOpen, 1);
    QCOMPARE(shownWhileOpen, QStringLiteral("No Response from LCD"));
    QCOMPARE(model().rowCount(), 1);
    const TrafficRecord &record = model().record(0);
    QCOMPARE(record.outcome, TrafficOutcome::NoResponse);
    qInfo("wait of %d ticks with a dialog open: recorded %.1f ms, ended %lld ms after Send", ticks,
          record.waitMs, endedAtMs);
    // Ended by the tick that completes the count, long before the dialog closed. On a quiet
    // machine the wait is within one tick of its length; a loaded one delays every tick alike,
    // so the bound in milliseconds only separates an ended wait from one the dialog held.
    QCOMPARE(ticksAtEnd, ticks);
    QVERIFY2(record.waitMs >= (ticks - 1) * tickMs && record.waitMs < dialogOpenMs / 2,
             qPrintable(QString::number(record.waitMs)));
    QVERIFY2(endedAtMs >= 0 && endedAtMs < dialogOpenMs / 2, qPrintable(QString::number(endedAtMs)));
    // The late answer was left where the next exchange finds it.
    QTRY_COMPARE(m_window->serialPort().inBufferCount(), int(request06.size()));
}

void TestFrmMainTraffic::uploadGivesAWrittenRecord()
{
    connectOnLine();
    userChoosesConfigLcd(*m_window);
    frmConfigLCD *config = m_window->configWindow();
    QVERIFY(config && config->serialPort()->portOpen());
    userClicks(config->findChild<QPushButton *>(QStringLiteral("cmdConfig")));
    const QByteArray upload = m_line->readFar(110);
    QCOMPARE(upload.size(), 110);

    QCOMPARE(model().rowCount(), 1);
    const TrafficRecord &record = model().record(0);
    QCOMPARE(record.outcome, TrafficOutcome::Written);
    QCOMPARE(record.window, QStringLiteral("config"));
    QCOMPARE(record.device, m_line->devicePath());
    QCOMPARE(record.settings, QStringLiteral("9600,n,8,1"));
    QCOMPARE(record.sent, upload);
    QVERIFY(record.received.isEmpty() && !record.firstByteMs);
    QCOMPARE(model().statistics().uploads(), 1);
    QCOMPARE(model().statistics().exchanges(), 0);
    config->close();
}

void TestFrmMainTraffic::windowFollowsExchangesAndClears()
{
    FakeWindow made = makeFakeWindow();
    m_window = std::move(made.window);
    QMenuBar *bar = m_window->menuBar();
    QAction *entry = bar->actions().value(1);
    QVERIFY(entry);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(entry).center());
    TrafficWindow *traffic = m_window->trafficWindow();
    QVERIFY(traffic && traffic->isVisible());
    auto *table = traffic->findChild<QTableView *>();
    auto *statistics = traffic->findChild<QLabel *>(QStringLiteral("lblStatistics"));
    auto *diagnosis = traffic->findChild<QLabel *>(QStringLiteral("lblDiagnosis"));
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));

    // Enough rows to scroll: the table stays on the newest while it is at the bottom.
    constexpr int exchanges = 40;
    for (int i = 0; i < exchanges; ++i) {
        made.device->answerNextWrite(i % 2 ? request06 : QByteArray());
        send06();
        QCOMPARE(table->model()->rowCount(), i + 1);
    }
    const QModelIndex newest = table->model()->index(exchanges - 1, 0);
    QVERIFY(table->viewport()->rect().intersects(table->visualRect(newest)));
    QVERIFY2(statistics->text().startsWith(
                 QStringLiteral("Exchanges 40, answered 20, no response 20, incomplete 0,")),
             qPrintable(statistics->text()));
    QCOMPARE(diagnosis->text(), QStringLiteral("Diagnosis: none"));

    // Scrolled up, the table stays where the user put it.
    QScrollBar *rows = table->verticalScrollBar();
    rows->setValue(0);
    send06();
    QCOMPARE(rows->value(), 0);

    // Slave 2 answers slave 1's request: the line under the statistics says so at once.
    made.device->answerNextWrite(QByteArray::fromHex("020600000003C9F8"));
    send06();
    QVERIFY2(diagnosis->text().startsWith(QStringLiteral("Diagnosis: wrong-slave: another device")),
             qPrintable(diagnosis->text()));

    // The same entry again brings the one window to the front.
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(entry).center());
    QCOMPARE(m_window->trafficWindow(), traffic);

    userClicks(traffic->findChild<QPushButton *>(QStringLiteral("cmdClear")));
    QCOMPARE(table->model()->rowCount(), 0);
    QVERIFY(statistics->text().startsWith(QStringLiteral("Exchanges 0,")));
    QCOMPARE(diagnosis->text(), QStringLiteral("Diagnosis: none"));

    QVERIFY(m_window->close());
    QVERIFY(!traffic->isVisible());
}

QTEST_MAIN(TestFrmMainTraffic)
#include "tst_frmmain_traffic.moc"
