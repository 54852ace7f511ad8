#include "findwindow.h"
#include "frmconfiglcd.h"
#include "mainwindowharness.h"
#include "simprocess.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <memory>

class tst_findwindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void foundUsedAndTalkedTo();
    void configurationWindowKeepsItsPort();

private:
    //! The simulator with \a options, and the main window on its line with the Find window open.
    void startBoth(const QStringList &options);
    template <typename T> T *findControl(const char *name)
    {
        return m_window->findWindow()->findChild<T *>(QString::fromLatin1(name));
    }
    int recorded() { return m_window->recorder().model()->rowCount(); }

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<MessageCatcher> m_messages;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<frmMain> m_window;
};

void tst_findwindow::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_messages = std::make_unique<MessageCatcher>();
}

void tst_findwindow::cleanup()
{
    m_window.reset();
    m_sim.reset();
    m_messages.reset();
    m_settings.reset();
}

void tst_findwindow::startBoth(const QStringList &options)
{
    m_sim = std::make_unique<SimProcess>(QStringLiteral(SIM_EXECUTABLE), options);
    QVERIFY(m_sim->isRunning());
    m_window = makeWindowOnLine(*m_settings, m_sim->devicePath());
    userChoosesMenuEntry(*m_window, "mnuFind");
    QVERIFY(m_window->findWindow());
    QTRY_VERIFY(m_window->findWindow()->isVisible());
}

// A display someone set to ID 7 at 19200 8N2, and a user who remembers the ID only: the search
// takes the line from the connected window, finds the display among the stored ID's probes,
// and "Use" leaves the main window ready to talk to it, the port closed until Connect.
void tst_findwindow::foundUsedAndTalkedTo()
{
    startBoth({"--id", "7", "--baud", "19200", "--format", "8N2"});
    userChooses(control<QComboBox>(*m_window, "cboSlaveID"), 6);
    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    QCOMPARE(connectionLook(*m_window), connectedLook());
    const QByteArray settingsBefore = m_settings->readRaw();

    userClicks(findControl<QPushButton>("cmdStart"));
    QCOMPARE(connectionLook(*m_window), disconnectedLook());
    QVERIFY(!control<QPushButton>(*m_window, "cmdConnect")->isEnabled());
    QTRY_VERIFY(findControl<QPushButton>("cmdStart")->isEnabled());
    QVERIFY(control<QPushButton>(*m_window, "cmdConnect")->isEnabled());

    auto *found = findControl<QListWidget>("lstFound");
    QCOMPARE(found->count(), 1);
    QCOMPARE(found->item(0)->text(), QStringLiteral("ID 7 at 19200 8N2"));
    QVERIFY2(findControl<QLabel>("lblStatus")->text().startsWith("1 found, 5 of 2223 probes"),
             qPrintable(findControl<QLabel>("lblStatus")->text()));
    // 9600 8N1, then the three at 38400, then 19200 8N2: every probe is in the history.
    QCOMPARE(recorded(), 5);
    const TrafficModel &history = *m_window->recorder().model();
    QCOMPARE(history.record(4).window, TrafficRecord::findWindow);
    QCOMPARE(history.record(4).outcome, TrafficOutcome::Answer);

    userClicks(findControl<QPushButton>("cmdUse"));
    QVERIFY(control<QRadioButton>(*m_window, "opt19200")->isChecked());
    QCOMPARE(control<QComboBox>(*m_window, "cboDF")->currentText(), QStringLiteral("8N2"));
    QCOMPARE(control<QComboBox>(*m_window, "cboSlaveID")->currentText(), QStringLiteral("7"));
    QCOMPARE(m_window->serialPort().settings(), QStringLiteral("19200,n,8,2"));
    QCOMPARE(connectionLook(*m_window), disconnectedLook());
    QCOMPARE(m_settings->readRaw(), settingsBefore);

    userClicks(control<QPushButton>(*m_window, "cmdConnect"));
    awaitAnswerDuringNextWait(*m_window, 8);
    QVERIFY(userSends(*m_window, "cmdSend05"));
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text().left(2), QStringLiteral("07"));
    QVERIFY(m_messages->texts.isEmpty());
}

// Its user may be in the middle of a set-up: the search does not take the port from it.
void tst_findwindow::configurationWindowKeepsItsPort()
{
    startBoth({"--id", "7"});
    userChoosesConfigLcd(*m_window);
    QVERIFY(m_window->configWindow()->isLoaded());
    userClicks(findControl<QPushButton>("cmdStart"));
    QCOMPARE(findControl<QLabel>("lblStatus")->text(),
             QStringLiteral("Configure Pravix has port 1 open: close it, then press Start."));
    QVERIFY(findControl<QPushButton>("cmdStart")->isEnabled());
    QVERIFY(m_window->configWindow()->serialPort()->portOpen());
    QCOMPARE(recorded(), 0);
}

QTEST_MAIN(tst_findwindow)
#include "tst_findwindow.moc"
