#include "captionfit.h"
#include "mainwindowharness.h"
#include "tempsettings.h"

#include "appearance.h"
#include "modvariables.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

// The window's look before anyone touches it: geometry, containment, captions, focus order.
class TestFrmMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlPlacement_data();
    void controlPlacement();
    void captionsFitWithTheProgramsFont();
    void windowIsFixedWithCloseBoxOnly();
    void menuBarEntriesInOrder();
    void tabOrderFollowsTabIndex();
    void staticTextsAndGroupsTakeNoFocus();
    void initialStates();
    void monitorColours_data();
    void monitorColours();
    void nonVisualMembers();
    void messageFieldHoldsAtMost32Characters_data();
    void messageFieldHoldsAtMost32Characters();

private:
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<frmMain> m_window;
};

// The program's own font, as its start registers it where the system lacks Tahoma.
void TestFrmMainLayout::initTestCase()
{
    appearance::registerTahoma();
}

void TestFrmMainLayout::init()
{
    modVariables::resetAll();
    m_settings = std::make_unique<TempSettings>();
    m_window = std::make_unique<frmMain>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFrmMainLayout::cleanup()
{
    m_window.reset();
    m_settings.reset();
}

void TestFrmMainLayout::controlPlacement_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    // Twips, as the layout is drawn; one pixel is 15 twips. Three labels are wider than drawn,
    // so that their captions fit with Windows' Tahoma.
    QTest::addColumn<QRect>("twips");

    const auto row = [](const char *name, const char *container, const char *kind,
                        const char *caption, int left, int top, int width, int height) {
        QTest::newRow(name) << QString::fromLatin1(container) << QString::fromLatin1(kind)
                            << QString::fromLatin1(caption) << QRect(left, top, width, height);
    };
    row("fComm", "centralwidget", "QGroupBox", "Comm Port Settings", 240, 360, 4815, 2055);
    row("opt9600", "fComm", "QRadioButton", "9600 bps", 240, 360, 975, 255);
    row("opt19200", "fComm", "QRadioButton", "19200 bps", 1320, 360, 1215, 255);
    row("opt38400", "fComm", "QRadioButton", "38400 bps", 2520, 360, 1215, 255);
    row("cboDF", "fComm", "QComboBox", "", 240, 840, 855, 315);
    row("Label2", "fComm", "QLabel", "Data Format", 1200, 840, 975, 255);
    row("cboComm", "fComm", "QComboBox", "", 2400, 840, 735, 315);
    row("Label1", "fComm", "QLabel", "Select Port Number", 3240, 840, 1545, 255);
    row("Check1", "fComm", "QCheckBox", "Use RTS", 240, 1440, 1095, 255);
    row("fID", "centralwidget", "QGroupBox", "Slave ID", 5400, 480, 3255, 735);
    row("cboSlaveID", "fID", "QComboBox", "", 360, 240, 735, 315);
    row("Label3", "fID", "QLabel", "Select Slave Address", 1440, 240, 1695, 255);
    row("cmdConnect", "centralwidget", "QPushButton", "Connect", 5400, 1320, 1455, 375);
    row("fCom5", "centralwidget", "QGroupBox", "Modbus Command 05", 240, 2760, 2775, 2175);
    row("cboAddr05", "fCom5", "QComboBox", "", 240, 480, 975, 315);
    row("Label6", "fCom5", "QLabel", "Register Address", 1320, 480, 1335, 255);
    row("cboData05", "fCom5", "QComboBox", "", 240, 960, 975, 315);
    row("Label7", "fCom5", "QLabel", "Data", 1320, 960, 375, 255);
    row("cmdSend05", "fCom5", "QPushButton", "Send", 240, 1560, 975, 375);
    row("fCom6", "centralwidget", "QGroupBox", "Modbus Command 06", 3120, 2760, 3015, 2175);
    row("cboAddr06", "fCom6", "QComboBox", "", 240, 480, 975, 315);
    row("Label8", "fCom6", "QLabel", "Register Address", 1320, 480, 1335, 255);
    row("Label9", "fCom6", "QLabel", "Data Hi", 240, 960, 855, 255);
    row("Label10", "fCom6", "QLabel", "Data Lo", 1320, 960, 855, 255);
    row("cboDataH06", "fCom6", "QComboBox", "", 240, 1200, 855, 315);
    row("cboDataL06", "fCom6", "QComboBox", "", 1320, 1200, 855, 315);
    row("cmdSend06", "fCom6", "QPushButton", "Send", 240, 1680, 975, 375);
    row("fCom16", "centralwidget", "QGroupBox", "Modbus Command 16", 6240, 2760, 3615, 2175);
    row("cboAddr16", "fCom16", "QComboBox", "", 240, 480, 975, 315);
    row("Label11", "fCom16", "QLabel", "Start Register Address", 1320, 480, 1815, 255);
    row("txtMessage", "fCom16", "QLineEdit", "", 240, 960, 3135, 285);
    row("cmdSend16", "fCom16", "QPushButton", "Send", 240, 1680, 855, 375);
    row("fMonitor", "centralwidget", "QGroupBox", "Communication Monitor", 360, 5160, 9495, 1215);
    row("Label4", "fMonitor", "QLabel", "Bytes Sent", 240, 360, 855, 255);
    row("lblTxData", "fMonitor", "QLabel", "", 1800, 360, 7335, 255);
    row("Label5", "fMonitor", "QLabel", "Bytes Received", 240, 720, 1215, 255);
    row("lblRxData", "fMonitor", "QLabel", "", 1800, 720, 7335, 255);
}

void TestFrmMainLayout::controlPlacement()
{
    QFETCH(QString, container);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    QWidget *widget = control<QWidget>(*m_window, QTest::currentDataTag());
    QVERIFY(widget);
    QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
    QVERIFY(widget->parentWidget());
    if (container == QLatin1String("centralwidget"))
        QCOMPARE(widget->parentWidget(), m_window->centralWidget());
    else
        QCOMPARE(widget->parentWidget()->objectName(), container);
    QCOMPARE(widget->geometry(),
             QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
    QVERIFY(widget->isVisible());

    QString shown;
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        shown = group->title();
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        shown = button->text();
    else if (auto *label = qobject_cast<QLabel *>(widget))
        shown = label->text();
    else if (auto *field = qobject_cast<QLineEdit *>(widget))
        shown = field->text();
    if (!qobject_cast<QComboBox *>(widget))
        QCOMPARE(shown, caption);
}

// Measured with the font the program draws in: Windows' Tahoma, or the metric-compatible one of
// fonts-wine that the program registers (and that Wine uses).
void TestFrmMainLayout::captionsFitWithTheProgramsFont()
{
    QCOMPARE(captionFamily(*m_window), QStringLiteral("Tahoma"));
    const QStringList clipped = clippedCaptions(*m_window);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
}

void TestFrmMainLayout::windowIsFixedWithCloseBoxOnly()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("PravixApp Ver 2.3"));
    QCOMPARE(m_window->centralWidget()->size(), QSize(682, 443));
    QVERIFY(m_window->centralWidget()->y() >= m_window->menuBar()->geometry().bottom());
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QCOMPARE(m_window->size(), m_window->minimumSize());

    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    const QRect screen = m_window->screen()->availableGeometry();
    const QPoint offCentre = m_window->frameGeometry().center() - screen.center();
    QVERIFY2(offCentre.manhattanLength() <= 1, "the window starts centred on the screen");

    QCOMPARE(m_window->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(m_window->font().pointSizeF(), 8.25);
    QVERIFY(!m_window->windowIcon().isNull());
}

void TestFrmMainLayout::menuBarEntriesInOrder()
{
    const QList<QAction *> actions = m_window->menuBar()->actions();
    const QStringList expected = {QStringLiteral("mnuConfig:Config LCD"),
                                  QStringLiteral("mnuTraffic:Traffic"),
                                  QStringLiteral("mnuPorts:Ports"),
                                  QStringLiteral("mnuFind:Find LCD…")};
    QStringList entries;
    for (const QAction *action : actions) {
        entries.append(action->objectName() + QLatin1Char(':') + action->text());
        // Each entry acts at once; none opens a submenu.
        QVERIFY(!action->menu());
    }
    QCOMPARE(entries, expected);
}

void TestFrmMainLayout::tabOrderFollowsTabIndex()
{
    const QStringList expected = {
        "opt9600",    "opt19200",  "cboComm",   "opt38400",   "cboDF",     "cmdConnect",
        "cboSlaveID", "cboAddr05", "cboData05", "cmdSend05",  "cboAddr06", "cboDataH06",
        "cboDataL06", "cmdSend06", "cboAddr16", "txtMessage", "cmdSend16", "Check1"};

    // Walk the focus chain once round from the first control and keep the named stops; a
    // combo box's own edit field follows it in the chain and is part of the same stop.
    QWidget *first = control<QWidget>(*m_window, "opt9600");
    QStringList order;
    QWidget *w = first;
    do {
        if (expected.contains(w->objectName()) && !order.contains(w->objectName()))
            order.append(w->objectName());
        w = w->nextInFocusChain();
    } while (w != first);
    QCOMPARE(order, expected);
}

void TestFrmMainLayout::staticTextsAndGroupsTakeNoFocus()
{
    const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
    const QList<QGroupBox *> groups = m_window->findChildren<QGroupBox *>();
    QCOMPARE(labels.size(), 13);
    QCOMPARE(groups.size(), 6);
    for (QWidget *w : labels)
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
    for (QWidget *w : groups)
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
}

void TestFrmMainLayout::initialStates()
{
    QVERIFY(control<QRadioButton>(*m_window, "opt9600")->isChecked());
    QVERIFY(!control<QCheckBox>(*m_window, "Check1")->isChecked());
    QCOMPARE(control<QLabel>(*m_window, "lblTxData")->text(), QString());
    QCOMPARE(control<QLabel>(*m_window, "lblRxData")->text(), QString());
    auto *message = control<QLineEdit>(*m_window, "txtMessage");
    QCOMPARE(message->text(), QString());
    QCOMPARE(message->maxLength(), 32);

    QVERIFY(control<QGroupBox>(*m_window, "fComm")->isEnabled());
    QVERIFY(control<QGroupBox>(*m_window, "fID")->isEnabled());
    // Nothing inside the command groups can be operated while disconnected.
    for (const char *group : {"fCom5", "fCom6", "fCom16"}) {
        auto *box = control<QGroupBox>(*m_window, group);
        QVERIFY(!box->isEnabled());
        const QList<QWidget *> inside = box->findChildren<QWidget *>();
        QVERIFY(!inside.isEmpty());
        for (QWidget *w : inside)
            QVERIFY2(w->window() != m_window.get() || !w->isEnabled(), qPrintable(w->objectName()));
    }
}

void TestFrmMainLayout::monitorColours_data()
{
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("text");
    QTest::newRow("lblTxData") << QColor(255, 255, 128) << QColor(0, 0, 255);
    QTest::newRow("lblRxData") << QColor(0, 255, 0) << QColor(255, 0, 0);
}

void TestFrmMainLayout::monitorColours()
{
    QFETCH(QColor, background);
    QFETCH(QColor, text);
    auto *label = control<QLabel>(*m_window, QTest::currentDataTag());
    QVERIFY(label->autoFillBackground());
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        QCOMPARE(label->palette().color(group, label->backgroundRole()), background);
        QCOMPARE(label->palette().color(group, label->foregroundRole()), text);
    }
}

void TestFrmMainLayout::nonVisualMembers()
{
    auto *timer = control<QTimer>(*m_window, "Timer1");
    QVERIFY(timer);
    QCOMPARE(timer->interval(), 20);
    QVERIFY(!timer->isActive());
    QVERIFY(!m_window->serialPort().portOpen());
}

void TestFrmMainLayout::messageFieldHoldsAtMost32Characters_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    const QString thirtyThree = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456");
    QTest::newRow("33 typed") << QString() << false << thirtyThree;
    QTest::newRow("33 pasted") << QString() << true << thirtyThree;
    QTest::newRow("one typed into 32") << thirtyThree.left(32) << false << QStringLiteral("7");
    QTest::newRow("pasted into 30") << thirtyThree.left(30) << true << QStringLiteral("xyz");
}

void TestFrmMainLayout::messageFieldHoldsAtMost32Characters()
{
    QFETCH(QString, before);
    QFETCH(bool, paste);
    QFETCH(QString, input);

    auto *message = control<QLineEdit>(*m_window, "txtMessage");
    message->setEnabled(true);
    control<QGroupBox>(*m_window, "fCom16")->setEnabled(true);
    message->setText(before);
    message->end(false);
    if (paste) {
        QApplication::clipboard()->setText(input);
        QTest::keySequence(message, QKeySequence::Paste);
    } else {
        QTest::keyClicks(message, input);
    }
    const QString expected = (before + input).left(32);
    QCOMPARE(message->text(), expected);
}

QTEST_MAIN(TestFrmMainLayout)
#include "tst_frmmain_layout.moc"
