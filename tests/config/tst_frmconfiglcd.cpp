#include "frmconfiglcd.h"
#include "portmap.h"

#include "appearance.h"
#include "captionfit.h"
#include "configwindowline.h"
#include "fakeserialdevice.h"
#include "messagebox.h"
#include "modini.h"
#include "modvariables.h"
#include "mscomm.h"
#include "porthint.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <termios.h>

#include <memory>

namespace {

const QString portError = QStringLiteral(" Comm Port Error");

const QStringList comboNames = {"cboSID", "cboBR",  "cboDF",  "cboW1",     "cboDP1",   "cboSP1",
                                "cboW2",  "cboDP2", "cboSP2", "cboSpage1", "cboSpage2"};

QString messageName(int index)
{
    return QStringLiteral("txtMessage_%1").arg(index);
}

// Bytes 0-95 as the display gets them: six messages padded with blanks to 16.
QByteArray messageBytes(const QStringList &messages)
{
    QByteArray bytes;
    for (const QString &message : messages)
        bytes += message.toLatin1().leftJustified(16, ' ');
    return bytes;
}

} // namespace

class TestFrmConfigLcd : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigWindowLine> m_line;

    QStringList &shown() { return m_line->messages.texts; }

    static QComboBox *combo(const QWidget &window, const QString &name)
    {
        return window.findChild<QComboBox *>(name);
    }

    static QLineEdit *message(const QWidget &window, int index)
    {
        return window.findChild<QLineEdit *>(messageName(index));
    }

    // Chooses an entry the way a click in the drop-down list does.
    static bool pick(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text, Qt::MatchExactly);
        if (index < 0)
            return false;
        box->setCurrentIndex(index);
        emit box->activated(index);
        return true;
    }

    static void typeOver(QComboBox *box, const QString &text)
    {
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), text);
    }

    // Replaces the box's text key by key; each key carries its character, as a keyboard
    // layout delivers characters beyond ASCII.
    static void typeMessage(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        for (const char32_t character : text.toUcs4())
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown,
                                QString::fromUcs4(&character, 1), Qt::NoModifier);
    }

    static void clickSend(const QWidget &window)
    {
        QTest::mouseClick(window.findChild<QPushButton *>("cmdConfig"), Qt::LeftButton);
    }

    QByteArray readUpload() { return m_line->pty.readFar(ConfigImage::Size); }

    // Nothing written arrives late: output hands every byte to the system before it returns.
    QByteArray readStray() { return m_line->pty.readFar(1, 200); }

    static void verifyDesignState(const QWidget &window, bool sendEnabled)
    {
        for (int i = 0; i < ConfigImage::MessageCount; ++i)
            QCOMPARE(message(window, i)->text(), QStringLiteral("Text1"));
        for (const QString &name : comboNames) {
            const QComboBox *box = combo(window, name);
            QCOMPARE(box->count(), 0);
            const bool decimalPoint = name.startsWith(QLatin1String("cboDP"));
            QCOMPARE(box->currentText(),
                     decimalPoint ? QStringLiteral("Combo2") : QStringLiteral("Combo1"));
        }
        QCOMPARE(window.findChild<QPushButton *>("cmdConfig")->isEnabled(), sendEnabled);
    }

private slots:
    // The program's own font, as its start registers it where the system lacks Tahoma.
    void initTestCase() { appearance::registerTahoma(); }

    void init()
    {
        m_line = std::make_unique<ConfigWindowLine>();
        QVERIFY(m_line->isValid());
    }

    void cleanup() { m_line.reset(); }

    // ---- layout ----

    void windowAttributes()
    {
        frmConfigLCD window;
        QCOMPARE(window.objectName(), QStringLiteral("frmConfigLCD"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Configure Pravix"));
        QCOMPARE(window.size(), QSize(616, 359));
        QCOMPARE(window.minimumSize(), QSize(616, 359));
        QCOMPARE(window.maximumSize(), QSize(616, 359));
        QVERIFY(window.isWindow());
        const Qt::WindowFlags flags = window.windowFlags();
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.font().pointSizeF(), 8.25);
        QVERIFY(!window.isLoaded());
        QVERIFY(!window.serialPort());
    }

    // Measured with the font the program draws in, as this system and as Windows draw it.
    void captionsFitWithTheProgramsFont()
    {
        frmConfigLCD window;
        window.show();
        QCOMPARE(captionFamily(window), QStringLiteral("Tahoma"));
        const QStringList clipped = clippedCaptions(window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        const auto row = [](const char *name, const char *kind, const char *container,
                            const char *caption, int left, int top, int width, int height) {
            QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(container)
                                << QString::fromLatin1(caption) << QRect(left, top, width, height);
        };
        row("Frame1", "QGroupBox", "frmConfigLCD", "Configure Comm Parameters", 480, 480, 3375,
            1815);
        row("Label1", "QLabel", "Frame1", "Set LCD ID", 120, 480, 855, 255);
        row("cboSID", "QComboBox", "Frame1", "", 2040, 360, 855, 315);
        row("Label2", "QLabel", "Frame1", "Set LCD Baud Rate", 120, 960, 1575, 255);
        row("cboBR", "QComboBox", "Frame1", "", 2040, 840, 855, 315);
        // Wider than drawn, so that the caption fits with Windows' Tahoma.
        row("Label3", "QLabel", "Frame1", "Set LCD Data Format", 120, 1440, 1665, 255);
        row("cboDF", "QComboBox", "Frame1", "", 2040, 1320, 855, 315);
        row("Frame2", "QGroupBox", "frmConfigLCD", "Messages", 480, 2400, 3375, 2775);
        row("Label4", "QLabel", "Frame2", "1", 240, 360, 255, 255);
        row("txtMessage_0", "QLineEdit", "Frame2", "", 600, 360, 1935, 285);
        row("Label5", "QLabel", "Frame2", "2", 240, 720, 255, 255);
        row("txtMessage_1", "QLineEdit", "Frame2", "", 600, 720, 1935, 285);
        row("Label6", "QLabel", "Frame2", "3", 240, 1080, 255, 255);
        row("txtMessage_2", "QLineEdit", "Frame2", "", 600, 1080, 1935, 285);
        row("Label7", "QLabel", "Frame2", "4", 240, 1440, 255, 255);
        row("txtMessage_3", "QLineEdit", "Frame2", "", 600, 1440, 1935, 285);
        row("Label8", "QLabel", "Frame2", "5", 240, 1800, 255, 255);
        row("txtMessage_4", "QLineEdit", "Frame2", "", 600, 1800, 1935, 285);
        row("Label9", "QLabel", "Frame2", "6", 240, 2160, 255, 255);
        row("txtMessage_5", "QLineEdit", "Frame2", "", 600, 2160, 1935, 285);
        row("Frame3", "QGroupBox", "frmConfigLCD", "Data Display", 4080, 480, 4935, 1815);
        row("Label11", "QLabel", "Frame3", "Width", 1560, 240, 495, 255);
        row("Label12", "QLabel", "Frame3", "Decimal Point", 2400, 240, 1095, 255);
        row("Label14", "QLabel", "Frame3", "Start Point", 3720, 240, 975, 255);
        row("Label10", "QLabel", "Frame3", "Field 1 ( LINE 0 )", 120, 600, 1335, 255);
        row("cboW1", "QComboBox", "Frame3", "", 1440, 600, 735, 315);
        row("cboDP1", "QComboBox", "Frame3", "", 2400, 600, 855, 315);
        row("cboSP1", "QComboBox", "Frame3", "", 3720, 600, 735, 315);
        row("Label13", "QLabel", "Frame3", "Field 2 ( LINE 1 )", 120, 1200, 1335, 255);
        row("cboW2", "QComboBox", "Frame3", "", 1440, 1080, 735, 315);
        row("cboDP2", "QComboBox", "Frame3", "", 2400, 1080, 855, 315);
        row("cboSP2", "QComboBox", "Frame3", "", 3720, 1080, 735, 315);
        row("Frame4", "QGroupBox", "frmConfigLCD", "Startup Screen", 4080, 2400, 4935, 1935);
        row("Label15", "QLabel", "Frame4", "LINE 0", 240, 480, 615, 255);
        row("cboSpage1", "QComboBox", "Frame4", "", 1440, 480, 1695, 315);
        row("Label16", "QLabel", "Frame4", "LINE 1", 240, 960, 615, 255);
        row("cboSpage2", "QComboBox", "Frame4", "", 1440, 960, 1695, 315);
        row("cmdConfig", "QPushButton", "frmConfigLCD", "Send Config Data", 4320, 4680, 1095, 495);
    }

    void controls()
    {
        QFETCH(QString, kind);
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        frmConfigLCD window;
        const QWidget *control =
            window.findChild<QWidget *>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control);
        QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
        QCOMPARE(control->parentWidget()->objectName(), container);
        const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
        QCOMPARE(control->geometry(), pixels);
        QVERIFY(control->isEnabled());
        QVERIFY(!control->isHidden());
        if (const auto *group = qobject_cast<const QGroupBox *>(control))
            QCOMPARE(group->title(), caption);
        else if (const auto *label = qobject_cast<const QLabel *>(control))
            QCOMPARE(label->text(), caption);
        else if (const auto *button = qobject_cast<const QPushButton *>(control))
            QCOMPARE(button->text(), caption);
    }

    void noControlsBeyondTheTable()
    {
        frmConfigLCD window;
        QCOMPARE(window.findChildren<QGroupBox *>().size(), 4);
        QCOMPARE(window.findChildren<QLabel *>().size(), 16);
        QCOMPARE(window.findChildren<QComboBox *>().size(), 11);
        QCOMPARE(window.findChildren<QPushButton *>().size(), 1);
        // Each combo box brings its own edit field; the rest are the six message boxes.
        QCOMPARE(window.findChildren<QLineEdit *>().size(), 11 + 6);
    }

    void tabOrder()
    {
        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QStringList expected = {
            "cboSID",       "cboBR",        "cboDF",        "txtMessage_0", "txtMessage_1",
            "txtMessage_2", "txtMessage_3", "txtMessage_4", "txtMessage_5", "cboW1",
            "cboDP1",       "cboW2",        "cboDP2",       "cmdConfig",    "cboSP1",
            "cboSP2",       "cboSpage1",    "cboSpage2"};
        combo(window, "cboSID")->setFocus(Qt::TabFocusReason);
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QWidget *focused = QApplication::focusWidget();
            QVERIFY(focused);
            // A combo box's edit field stands for the combo box.
            while (focused->focusProxy())
                focused = focused->focusProxy();
            if (auto *inner = qobject_cast<QComboBox *>(focused->parentWidget()))
                focused = inner;
            visited << focused->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, expected);
    }

    void designTextsBeforeLoad()
    {
        frmConfigLCD window;
        verifyDesignState(window, true);
    }

    void messageHoldsSixteenCharacters_data()
    {
        QTest::addColumn<bool>("paste");
        QTest::newRow("typed") << false;
        QTest::newRow("pasted") << true;
    }

    void messageHoldsSixteenCharacters()
    {
        QFETCH(bool, paste);
        frmConfigLCD window;
        window.showFromMenu();
        const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        for (int i = 0; i < ConfigImage::MessageCount; ++i) {
            QLineEdit *box = message(window, i);
            box->clear();
            if (paste) {
                QGuiApplication::clipboard()->setText(twenty);
                QTest::keySequence(box, QKeySequence::Paste);
            } else {
                QTest::keyClicks(box, twenty.left(17));
            }
            QCOMPARE(box->text(), twenty.left(16));
        }
    }

    // ---- load ----

    void loadFillsLists_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("chosen");
        const auto numbers = [](int first, int last) {
            QStringList list;
            for (int v = first; v <= last; ++v)
                list << QString::number(v);
            return list;
        };
        const QStringList screens = {"None",      "Message 1", "Message 2", "Message 3",
                                     "Message 4", "Message 5", "Message 6"};
        QTest::newRow("cboSID") << numbers(1, 247) << "1";
        QTest::newRow("cboBR") << QStringList{"9600", "19200", "38400"} << "9600";
        QTest::newRow("cboDF") << QStringList{"8N1", "8N2", "8E1"} << "8N1";
        QTest::newRow("cboW1") << numbers(1, 5) << "5";
        QTest::newRow("cboW2") << numbers(1, 5) << "5";
        QTest::newRow("cboDP1") << numbers(0, 4) << "0";
        QTest::newRow("cboDP2") << numbers(0, 4) << "0";
        QTest::newRow("cboSP1") << numbers(0, 13) << "0";
        QTest::newRow("cboSP2") << numbers(0, 13) << "0";
        QTest::newRow("cboSpage1") << screens << "None";
        QTest::newRow("cboSpage2") << screens << "None";
    }

    void loadFillsLists()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, chosen);
        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(shown().isEmpty());
        const QComboBox *box = combo(window, QString::fromLatin1(QTest::currentDataTag()));
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        QCOMPARE(items, entries);
        QCOMPARE(box->currentText(), chosen);
        QCOMPARE(box->currentIndex(), entries.indexOf(chosen));
    }

    void loadShowsStoredMessages()
    {
        m_line->writeSettings("[LCD]\nrow1=HELLO\nrow2=\" spaced \"\nrow4=ABCDEFGHIJKLMNOPQRST\n"
                              "row6=caf\xC3\xA9\n");
        frmConfigLCD window;
        window.showFromMenu();
        const QStringList expected = {
            "HELLO", " spaced ", "", "ABCDEFGHIJKLMNOP", "", QStringLiteral("caf\u00E9")};
        for (int i = 0; i < ConfigImage::MessageCount; ++i)
            QCOMPARE(message(window, i)->text(), expected.at(i));
        QVERIFY(window.isVisible());
        QVERIFY(window.findChild<QPushButton *>("cmdConfig")->isEnabled());
    }

    void portOpensAtConfigurationSettings_data()
    {
        QTest::addColumn<QString>("mainSettings");
        QTest::addColumn<int>("portNumber");
        QTest::newRow("38400,e,8,1 port 1") << "38400,e,8,1" << 1;
        QTest::newRow("19200,n,8,2 port 3") << "19200,n,8,2" << 3;
        QTest::newRow("9600,n,8,1 port 20") << "9600,n,8,1" << 20;
    }

    void portOpensAtConfigurationSettings()
    {
        QFETCH(QString, mainSettings);
        QFETCH(int, portNumber);
        m_line->settings.writeRaw(QStringLiteral("[Ports]\n%1=%2\n")
                                      .arg(portNumber)
                                      .arg(m_line->pty.devicePath())
                                      .toLocal8Bit());
        modVariables::CommPortNo = QString::number(portNumber);
        modVariables::CommSettings = mainSettings;
        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(shown().isEmpty());
        QVERIFY(window.serialPort());
        QVERIFY(window.serialPort()->portOpen());
        QCOMPARE(window.serialPort()->commPort(), portNumber);
        QCOMPARE(window.serialPort()->settings(), QStringLiteral("9600,n,8,1"));

        // What the line itself was set to: the far end of a pseudo-terminal sees it.
        termios line{};
        QCOMPARE(tcgetattr(m_line->pty.masterFd(), &line), 0);
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(!(line.c_cflag & PARENB));
        QVERIFY(!(line.c_cflag & CSTOPB));
    }

    void failedLoadLeavesWindowOpenWithoutSend_data()
    {
        QTest::addColumn<QString>("commPortNo");
        QTest::addColumn<QByteArray>("ports");
        QTest::addColumn<bool>("heldElsewhere");
        // What the box's second line starts with, and the kind whose remedy follows.
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("kind");
        const QString invalid = QStringLiteral("Invalid port number");
        const int none = int(CommError::Kind::BadSetting);
        QTest::newRow("held by another port object")
            << "1" << QByteArray() << true << QString() << int(CommError::Kind::Locked);
        QTest::newRow("no such device")
            << "1" << QByteArray("[Ports]\n1=/nonexistent/ttyPravix\n") << false
            << "/nonexistent/ttyPravix: " << int(CommError::Kind::NotFound);
        QTest::newRow("port number not a number")
            << "one" << QByteArray() << false << invalid << none;
        QTest::newRow("port number empty") << "" << QByteArray() << false << invalid << none;
        QTest::newRow("port number out of range")
            << "70000" << QByteArray() << false << invalid << none;
    }

    void failedLoadLeavesWindowOpenWithoutSend()
    {
        QFETCH(QString, commPortNo);
        QFETCH(QByteArray, ports);
        QFETCH(bool, heldElsewhere);
        QFETCH(QString, reason);
        QFETCH(int, kind);
        if (reason.isEmpty())
            reason = m_line->pty.devicePath() + QStringLiteral(": ");
        if (!ports.isEmpty())
            m_line->settings.writeRaw(ports + "[LCD]\nrow1=SAVED\n");
        else
            m_line->writeSettings("[LCD]\nrow1=SAVED\n");
        modVariables::CommPortNo = commPortNo;
        MSComm holder(portmap::devicePath);
        if (heldElsewhere) {
            holder.setCommPort(1);
            holder.setPortOpen(true);
        }

        frmConfigLCD window;
        window.showFromMenu();
        QCOMPARE(m_line->messages.headlines(), QStringList{portError});
        const QString detail = m_line->messages.details().first();
        QVERIFY2(detail.startsWith(reason), qPrintable(detail));
        QVERIFY2(
            detail.contains(porthint::hint(CommError::Kind(kind), modINI::iniFilePath()).mid(1)),
            qPrintable(detail));
        QVERIFY(window.isVisible());
        QVERIFY(window.isLoaded());
        QVERIFY(!window.serialPort()->portOpen());
        verifyDesignState(window, false);

        // Already open: shown again, not loaded again, so no second message.
        window.showFromMenu();
        QCOMPARE(shown().size(), 1);
        const QByteArray settingsBefore = m_line->settings.readRaw();
        clickSend(window);
        QCOMPARE(shown().size(), 1);
        QCOMPARE(m_line->settings.readRaw(), settingsBefore);

        // Closing unloads; once the port can be had, the next showing loads in full.
        window.close();
        holder.setPortOpen(false);
        m_line->writeSettings("[LCD]\nrow1=SAVED\n");
        modVariables::CommPortNo = QStringLiteral("1");
        window.showFromMenu();
        QCOMPARE(shown().size(), 1);
        QVERIFY(window.serialPort()->portOpen());
        QCOMPARE(message(window, 0)->text(), QStringLiteral("SAVED"));
        QCOMPARE(combo(window, "cboSID")->count(), 247);
        QVERIFY(window.findChild<QPushButton *>("cmdConfig")->isEnabled());
    }

    void showingAgainKeepsChoices()
    {
        frmConfigLCD window;
        window.showFromMenu();
        const MSComm *port = window.serialPort();
        QVERIFY(pick(combo(window, "cboBR"), "38400"));
        QVERIFY(pick(combo(window, "cboSpage2"), "Message 3"));
        typeMessage(message(window, 2), QStringLiteral("KEEP ME"));
        modINI::WriteIni("LCD", "row3", "FROM FILE");

        window.showFromMenu();
        QCOMPARE(window.serialPort(), port);
        QVERIFY(port->portOpen());
        QCOMPARE(combo(window, "cboBR")->currentText(), QStringLiteral("38400"));
        QCOMPARE(combo(window, "cboSpage2")->currentText(), QStringLiteral("Message 3"));
        QCOMPARE(message(window, 2)->text(), QStringLiteral("KEEP ME"));
        QCOMPARE(combo(window, "cboSID")->count(), 247);
        QVERIFY(shown().isEmpty());
    }

    void closingReleasesPortAndReloadsNextTime()
    {
        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(pick(combo(window, "cboSID"), "12"));
        QVERIFY(pick(combo(window, "cboW1"), "2"));
        QVERIFY(pick(combo(window, "cboDP2"), "3"));
        typeOver(combo(window, "cboDF"), QStringLiteral("7N1"));
        typeMessage(message(window, 0), QStringLiteral("NEW TEXT"));
        clickSend(window);
        QCOMPARE(readUpload().size(), ConfigImage::Size);

        window.close();
        QVERIFY(!window.isVisible());
        QVERIFY(!window.isLoaded());
        verifyDesignState(window, true);
        MSComm other(portmap::devicePath);
        other.setCommPort(1);
        other.setPortOpen(true);
        QVERIFY(other.portOpen());
        other.setPortOpen(false);

        window.showFromMenu();
        QVERIFY(window.isVisible());
        QVERIFY(window.serialPort()->portOpen());
        QCOMPARE(message(window, 0)->text(), QStringLiteral("NEW TEXT"));
        const QStringList loadTime = {"1", "9600", "8N1", "5",    "0",   "0",
                                      "5", "0",    "0",   "None", "None"};
        for (int i = 0; i < comboNames.size(); ++i)
            QCOMPARE(combo(window, comboNames.at(i))->currentText(), loadTime.at(i));

        // The reloaded lists count as chosen again: nothing refuses the upload.
        clickSend(window);
        QCOMPARE(readUpload().mid(96, 11), QByteArray::fromHex("24C0010000000000000505"));
        QVERIFY(shown().isEmpty());
    }

    void windowIsCentred()
    {
        frmConfigLCD window;
        window.showFromMenu();
        const QPoint screenCentre = window.screen()->availableGeometry().center();
        const QPoint offset = window.frameGeometry().center() - screenCentre;
        QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
                 qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    }

    // ---- upload ----

    void uploadSendsTheImage_data()
    {
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QByteArray>("tail");
        const QStringList blank = {"", "", "", "", "", ""};
        QTest::newRow("load-time choices")
            << blank << QStringList() << QByteArray::fromHex("24C0010000000000000505EF1100");
        QTest::newRow("HELLO, 19200 8N2, ID 7")
            << QStringList{"HELLO", "", "", "", "", ""}
            << QStringList{"cboBR=19200",    "cboDF=8N2", "cboSID=7", "cboDP1=2",
                           "cboDP2=1",       "cboSP1=3",  "cboSP2=0", "cboSpage1=Message 1",
                           "cboSpage2=None", "cboW1=4",   "cboW2=5"}
            << QByteArray::fromHex("12C2070201030001000405BF4100");
        QTest::newRow("sixteen characters in the last box")
            << QStringList{"", "", "", "", "", "ABCDEFGHIJKLMNOP"} << QStringList()
            << QByteArray::fromHex("24C0010000000000000505778900");
        QTest::newRow("38400 8E1, last entries")
            << blank << QStringList{"cboBR=38400",
                                    "cboDF=8E1",
                                    "cboSID=247",
                                    "cboDP1=4",
                                    "cboDP2=4",
                                    "cboSP1=13",
                                    "cboSP2=13",
                                    "cboSpage1=Message 6",
                                    "cboSpage2=Message 6",
                                    "cboW1=1",
                                    "cboW2=2"}
            << QByteArray::fromHex("09D0F704040D0D0606010201FF00");
        // Blanks sum to 12 x 256 and 0x24 + 0xC0 + 18 + 5 + 5 to 256: the sum is 0.
        QTest::newRow("checksum of a zero sum")
            << blank << QStringList{"cboSID=18"}
            << QByteArray::fromHex("24C0120000000000000505000000");
    }

    void uploadSendsTheImage()
    {
        QFETCH(QStringList, messages);
        QFETCH(QStringList, choices);
        QFETCH(QByteArray, tail);
        frmConfigLCD window;
        window.showFromMenu();
        for (int i = 0; i < ConfigImage::MessageCount; ++i)
            typeMessage(message(window, i), messages.at(i));
        for (const QString &choice : choices) {
            const QStringList parts = choice.split('=');
            QVERIFY2(pick(combo(window, parts.at(0)), parts.at(1)), qPrintable(choice));
        }
        clickSend(window);
        QVERIFY(shown().isEmpty());
        QCOMPARE(readUpload(), messageBytes(messages) + tail);
        QVERIFY(readStray().isEmpty());
        QVERIFY(window.isVisible());
    }

    void uploadSavesSlaveAndUnpaddedMessages()
    {
        m_line->writeSettings("; kept\n[LCD]\nrow5=OLD\n");
        frmConfigLCD window;
        window.showFromMenu();
        QCOMPARE(message(window, 4)->text(), QStringLiteral("OLD"));
        const QStringList texts = {"HELLO", " spaced ", "", "ABCDEFGHIJKLMNOP", "", "last"};
        for (int i = 0; i < ConfigImage::MessageCount; ++i)
            typeMessage(message(window, i), texts.at(i));
        QVERIFY(pick(combo(window, "cboSID"), "123"));
        clickSend(window);
        QCOMPARE(readUpload().size(), ConfigImage::Size);

        QCOMPARE(modINI::ReadIni("LCD", "Slave"), QStringLiteral("123"));
        for (int i = 0; i < ConfigImage::MessageCount; ++i)
            QCOMPARE(modINI::ReadIni("LCD", QStringLiteral("row%1").arg(i + 1)), texts.at(i));
        const QByteArray file = m_line->settings.readRaw();
        QVERIFY(file.contains("; kept\n"));
        QVERIFY(file.contains("1=" + m_line->pty.devicePath().toLocal8Bit()));
        QVERIFY(file.indexOf("Slave") < file.indexOf("row1"));
    }

    void repeatedUploadSendsTheSameBytes()
    {
        frmConfigLCD window;
        window.showFromMenu();
        typeMessage(message(window, 1), QStringLiteral("Twice"));
        QVERIFY(pick(combo(window, "cboBR"), "19200"));
        QVERIFY(pick(combo(window, "cboSP2"), "7"));
        clickSend(window);
        const QByteArray first = readUpload();
        clickSend(window);
        const QByteArray second = readUpload();
        QCOMPARE(first.size(), ConfigImage::Size);
        QCOMPARE(second, first);
    }

    void typedOverBaudAndFormatKeepTheirLastCodes()
    {
        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(pick(combo(window, "cboBR"), "38400"));
        QVERIFY(pick(combo(window, "cboDF"), "8E1"));
        clickSend(window);
        QCOMPARE(readUpload().mid(96, 2), QByteArray::fromHex("09D0"));

        typeOver(combo(window, "cboBR"), QStringLiteral("57600"));
        typeOver(combo(window, "cboDF"), QStringLiteral("7N1"));
        QVERIFY(pick(combo(window, "cboSID"), "2"));
        clickSend(window);
        const QByteArray second = readUpload();
        QCOMPARE(second.mid(96, 3), QByteArray::fromHex("09D002"));
        int sum = 0;
        for (int i = 0; i <= 106; ++i)
            sum += static_cast<quint8>(second.at(i));
        QCOMPARE(static_cast<quint8>(second.at(107)), static_cast<quint8>(sum % 256));
        QVERIFY(shown().isEmpty());
    }

    void typedOverBeforeAnyUploadSendsZeroCodes()
    {
        frmConfigLCD window;
        window.showFromMenu();
        typeOver(combo(window, "cboBR"), QStringLiteral("4800"));
        typeOver(combo(window, "cboDF"), QStringLiteral("7E2"));
        clickSend(window);
        QCOMPARE(readUpload().mid(96, 3), QByteArray::fromHex("000001"));
    }

    void missingChoiceRefusesUpload_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("text");
        QTest::newRow("cboSID") << "cboSID"
                                << "Select a Set LCD ID from the list.";
        QTest::newRow("cboW1") << "cboW1"
                               << "Select a Width for Field 1 ( LINE 0 ) from the list.";
        QTest::newRow("cboW2") << "cboW2"
                               << "Select a Width for Field 2 ( LINE 1 ) from the list.";
        QTest::newRow("cboDP1") << "cboDP1"
                                << "Select a Decimal Point for Field 1 ( LINE 0 ) from the list.";
        QTest::newRow("cboDP2") << "cboDP2"
                                << "Select a Decimal Point for Field 2 ( LINE 1 ) from the list.";
        QTest::newRow("cboSP1") << "cboSP1"
                                << "Select a Start Point for Field 1 ( LINE 0 ) from the list.";
        QTest::newRow("cboSP2") << "cboSP2"
                                << "Select a Start Point for Field 2 ( LINE 1 ) from the list.";
        QTest::newRow("cboSpage1") << "cboSpage1"
                                   << "Select a Startup Screen for LINE 0 from the list.";
        QTest::newRow("cboSpage2") << "cboSpage2"
                                   << "Select a Startup Screen for LINE 1 from the list.";
    }

    void missingChoiceRefusesUpload()
    {
        QFETCH(QString, list);
        QFETCH(QString, text);
        frmConfigLCD window;
        window.showFromMenu();
        typeMessage(message(window, 0), QStringLiteral("NOT SAVED"));
        typeOver(combo(window, list), QStringLiteral("2"));
        const QByteArray settingsBefore = m_line->settings.readRaw();
        clickSend(window);
        QCOMPARE(shown(), QStringList{text});
        QVERIFY(readStray().isEmpty());
        QCOMPARE(m_line->settings.readRaw(), settingsBefore);

        // Picking an entry again makes the list count once more.
        QVERIFY(pick(combo(window, list), combo(window, list)->itemText(2)));
        clickSend(window);
        QCOMPARE(readUpload().size(), ConfigImage::Size);
        QCOMPARE(shown().size(), 1);
    }

    void nonAsciiMessageCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("e acute") << QStringLiteral("\u00E9t\u00E9") << QByteArray("\xE9t\xE9");
        QTest::newRow("euro and degree")
            << QStringLiteral("5\u20AC 20\u00B0") << QByteArray("5\x80 20\xB0");
        QTest::newRow("CJK") << QStringLiteral("A\u4E2D\u6587B") << QByteArray("A??B");
    }

    void nonAsciiMessageCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        frmConfigLCD window;
        window.showFromMenu();
        typeMessage(message(window, 0), text);
        typeMessage(message(window, 1), QStringLiteral("next"));
        clickSend(window);
        const QByteArray sent = readUpload();
        QCOMPARE(sent.left(16), bytes.leftJustified(16, ' '));
        QCOMPARE(sent.mid(16, 16), QByteArray("next            "));
        QCOMPARE(modINI::ReadIni("LCD", "row1"), text);
    }

    void failedWriteShowsErrorAndSavesNothing()
    {
        frmConfigLCD window;
        window.showFromMenu();
        typeMessage(message(window, 0), QStringLiteral("LOST"));
        m_line->pty.closeFar();
        const QByteArray settingsBefore = m_line->settings.readRaw();
        clickSend(window);
        QCOMPARE(m_line->messages.headlines(), QStringList{portError});
        const QString detail = m_line->messages.details().first();
        QVERIFY2(detail.startsWith(m_line->pty.devicePath() + QStringLiteral(": ")),
                 qPrintable(detail));
        QVERIFY2(detail.contains(
                     porthint::hint(CommError::Kind::Vanished, modINI::iniFilePath()).mid(1)),
                 qPrintable(detail));
        QCOMPARE(m_line->settings.readRaw(), settingsBefore);
        QVERIFY(window.isVisible());
    }

    void rtsAroundTheWrite_data()
    {
        QTest::addColumn<bool>("useRts");
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("Use RTS") << true << false;
        QTest::newRow("Use RTS, write fails") << true << true;
        QTest::newRow("no RTS") << false << false;
        QTest::newRow("no RTS, write fails") << false << true;
    }

    void rtsAroundTheWrite()
    {
        QFETCH(bool, useRts);
        QFETCH(bool, writeFails);
        FakeSerialDevice *fake = nullptr;
        frmConfigLCD window([&fake] {
            auto device = std::make_unique<FakeSerialDevice>();
            fake = device.get();
            return device;
        });
        window.showFromMenu();
        QVERIFY(fake);
        QVERIFY(shown().isEmpty());
        QCOMPARE(fake->events().first().kind, FakeSerialDevice::Kind::Open);
        QCOMPARE(fake->events().first().path, m_line->pty.devicePath());
        QCOMPARE(fake->events().first().settings, QStringLiteral("9600,n,8,1"));

        modVariables::UseRts = useRts;
        fake->clearEvents();
        if (writeFails)
            fake->failNext(FakeSerialDevice::Operation::Write);
        clickSend(window);

        using Kind = FakeSerialDevice::Kind;
        const QList<Kind> kinds = fake->kinds();
        // A write the device refused leaves no record.
        QCOMPARE(kinds.count(Kind::Write), writeFails ? 0 : 1);
        if (useRts) {
            QCOMPARE(kinds.first(), Kind::Rts);
            QVERIFY(fake->events().first().high);
            QCOMPARE(kinds.last(), Kind::Rts);
            QVERIFY(!fake->events().last().high);
            QVERIFY(!fake->rts());
        } else {
            QCOMPARE(kinds.count(Kind::Rts), 0);
        }
        if (writeFails) {
            QCOMPARE(m_line->messages.headlines(), QStringList{portError});
            QVERIFY2(
                m_line->messages.details().first().contains(QStringLiteral("operation failed")),
                qPrintable(shown().first()));
            QVERIFY(modINI::ReadIni("LCD", "Slave").isEmpty());
        } else {
            QVERIFY(shown().isEmpty());
            QCOMPARE(fake->written().size(), ConfigImage::Size);
            QCOMPARE(modINI::ReadIni("LCD", "Slave"), QStringLiteral("1"));
        }
    }

    void sendBeforeAnyLoadDoesNothing()
    {
        frmConfigLCD window;
        window.findChild<QPushButton *>("cmdConfig")->click();
        QVERIFY(shown().isEmpty());
        QVERIFY(readStray().isEmpty());
        QVERIFY(modINI::ReadIni("LCD", "Slave").isEmpty());
    }
};

QTEST_MAIN(TestFrmConfigLcd)
#include "tst_frmconfiglcd.moc"
