#include "mainwindowharness.h"

#include "commerror.h"
#include "frmmain.h"
#include "messagebox.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

void FakeSerialDevice::open(const QString &path, const SerialSettings &settings)
{
    ++m_record->opens;
    if (m_record->failOpen)
        throw CommError(QStringLiteral("open refused"));
    m_record->openedPath = path;
    m_record->openedSettings = settings.text;
    m_record->open = true;
}

void FakeSerialDevice::close()
{
    ++m_record->closes;
    if (m_record->failClose)
        throw CommError(QStringLiteral("close refused"));
    m_record->open = false;
}

MessageCatcher::MessageCatcher()
{
    messagebox::setSink([this](const QString &text) { texts.append(text); });
}

MessageCatcher::~MessageCatcher()
{
    messagebox::setSink({});
}

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

void userChooses(QComboBox *combo, int index)
{
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void userClicks(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

void userChoosesConfigLcd(frmMain &window)
{
    QMenuBar *bar = window.menuBar();
    QAction *config = control<QAction>(window, "mnuConfig");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(config).center());
}
