#include "mainwindowharness.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

bool ConnectionLook::operator==(const ConnectionLook &other) const
{
    return caption == other.caption && settingsEnabled == other.settingsEnabled &&
           command05Enabled == other.command05Enabled &&
           command06Enabled == other.command06Enabled &&
           command16Enabled == other.command16Enabled && portOpen == other.portOpen;
}

char *toString(const ConnectionLook &look)
{
    const QString text = QStringLiteral("caption %1, settings %2, 05 %3, 06 %4, 16 %5, port %6")
                             .arg(look.caption)
                             .arg(look.settingsEnabled)
                             .arg(look.command05Enabled)
                             .arg(look.command06Enabled)
                             .arg(look.command16Enabled)
                             .arg(look.portOpen ? "open" : "closed");
    return qstrdup(text.toUtf8().constData());
}

ConnectionLook connectionLook(frmMain &window)
{
    ConnectionLook look;
    look.caption = control<QPushButton>(window, "cmdConnect")->text();
    look.settingsEnabled = control<QGroupBox>(window, "fComm")->isEnabled();
    look.command05Enabled = control<QGroupBox>(window, "fCom5")->isEnabled();
    look.command06Enabled = control<QGroupBox>(window, "fCom6")->isEnabled();
    look.command16Enabled = control<QGroupBox>(window, "fCom16")->isEnabled();
    look.portOpen = window.serialPort().portOpen();
    return look;
}

ConnectionLook disconnectedLook()
{
    return {QStringLiteral("Connect"), true, false, false, false, false};
}

ConnectionLook connectedLook()
{
    return {QStringLiteral("Disconnect"), false, true, true, true, true};
}

FakeWindow makeFakeWindow(frmConfigLCD::DeviceFactory configDevices)
{
    auto device = std::make_unique<FakeSerialDevice>();
    FakeWindow made;
    made.device = device.get();
    made.window = std::make_unique<frmMain>(std::move(device), std::move(configDevices));
    made.window->show();
    return made;
}

QByteArray settingsForLine(const QString &devicePath, const QByteArray &moreSettings)
{
    return "[Settings]\nCommPort=1\nSetting=9600,n,8,1\n" + moreSettings +
           "[Ports]\n1=" + devicePath.toUtf8() + "\n";
}

std::unique_ptr<frmMain> makeWindowOnLine(const TempSettings &settings, const QString &devicePath,
                                          const QByteArray &moreSettings)
{
    settings.writeRaw(settingsForLine(devicePath, moreSettings));
    auto window = std::make_unique<frmMain>();
    window->show();
    return window;
}

int countOf(const FakeSerialDevice &device, FakeSerialDevice::Kind kind)
{
    return static_cast<int>(device.kinds().count(kind));
}

void userChooses(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void userTypesOver(QComboBox *combo, const QString &text)
{
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
}

void userTypes(QLineEdit *field, const QString &text)
{
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    for (const char32_t character : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&character, 1),
                            Qt::NoModifier);
}

void userClicks(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

bool userSends(frmMain &window, const char *button)
{
    userClicks(control<QAbstractButton>(window, button));
    return exchangeEnds(window);
}

bool exchangeEnds(frmMain &window)
{
    if (!window.exchangeInProgress())
        return true;
    // Far beyond the longest wait: only a wait that never ends runs into it.
    constexpr int patienceMs = 5000;
    QEventLoop loop;
    QObject::connect(&window, &frmMain::exchangeEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(patienceMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !window.exchangeInProgress();
}

void userChoosesMenuEntry(frmMain &window, const char *action)
{
    QMenuBar *bar = window.menuBar();
    QAction *entry = control<QAction>(window, action);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(entry).center());
}

void userChoosesConfigLcd(frmMain &window)
{
    userChoosesMenuEntry(window, "mnuConfig");
}

void duringNextWait(frmMain &window, std::function<void()> action)
{
    QObject::connect(control<QTimer>(window, "Timer1"), &QTimer::timeout, &window,
                     std::move(action), Qt::SingleShotConnection);
}

void awaitAnswerDuringNextWait(frmMain &window, int answerBytes)
{
    duringNextWait(window, [&window, answerBytes] {
        constexpr int patienceMs = 2000;
        QElapsedTimer clock;
        clock.start();
        while (window.serialPort().inBufferCount() < answerBytes && clock.elapsed() < patienceMs)
            QThread::msleep(1);
    });
}
