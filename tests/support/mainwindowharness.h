#pragma once

#include "fakeserialdevice.h"
#include "frmmain.h"
#include "messagecatcher.h"
#include "tempsettings.h"

#include <QByteArray>
#include <QComboBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAbstractButton;
class QLineEdit;

//! What the connection state looks like from outside.
struct ConnectionLook
{
    QString caption;
    bool settingsEnabled = false;
    bool command05Enabled = false;
    bool command06Enabled = false;
    bool command16Enabled = false;
    bool portOpen = false;

    bool operator==(const ConnectionLook &other) const;
};
char *toString(const ConnectionLook &look);

ConnectionLook connectionLook(frmMain &window);
ConnectionLook disconnectedLook();
ConnectionLook connectedLook();

/*! \brief A main window over a fake device. The device belongs to the window's port object;
 * the pointer stays valid as long as the window lives. */
struct FakeWindow
{
    std::unique_ptr<frmMain> window;
    FakeSerialDevice *device = nullptr;
};
//! Made and shown; the configuration window, once opened, gets its devices from configDevices.
FakeWindow makeFakeWindow(frmConfigLCD::DeviceFactory configDevices = {});

//! Settings that put port 1 at 9600 8N1 on this device path.
//! moreSettings are further lines of section [Settings], for example "LocalEcho=1\n".
QByteArray settingsForLine(const QString &devicePath, const QByteArray &moreSettings = {});

//! A shown main window over the real device, after the settings file has put port 1 on it.
std::unique_ptr<frmMain> makeWindowOnLine(const TempSettings &settings, const QString &devicePath,
                                          const QByteArray &moreSettings = {});

//! How many events of this kind the device has recorded.
int countOf(const FakeSerialDevice &device, FakeSerialDevice::Kind kind);

//! A choice from the drop-down list, as Qt reports one: the entry becomes current, then activated.
void userChooses(QComboBox *combo, int index);

//! Replaces the text of the list's field by typing, which leaves it without a chosen entry.
void userTypesOver(QComboBox *combo, const QString &text);

//! Replaces the field's text key by key, each key carrying its character as a keyboard layout
//! delivers characters beyond ASCII.
void userTypes(QLineEdit *field, const QString &text);

//! A left click in the middle of the button.
void userClicks(QAbstractButton *button);

/*! Clicks the named Send button and returns once the exchange it started has ended (at once
 * when the click started none). False when it did not end within a few seconds. */
bool userSends(frmMain &window, const char *button);

//! Returns once the window's exchange under way has ended; false when it did not in time.
bool exchangeEnds(frmMain &window);

//! Clicks the menu bar entry of that action ("mnuPorts").
void userChoosesMenuEntry(frmMain &window, const char *action);
//! Clicks "Config LCD" on the menu bar.
void userChoosesConfigLcd(frmMain &window);

//! Runs action on the first tick of Timer1, that is in the middle of the next response wait.
void duringNextWait(frmMain &window, std::function<void()> action);

/*! During the next response wait, holds the window until at least answerBytes bytes have
 * arrived (two seconds at most), so that a busy machine cannot make the far end's answer late
 * for the fixed wait. The wait still counts its ticks after that. */
void awaitAnswerDuringNextWait(frmMain &window, int answerBytes);

//! The named child control; null when there is none.
template <typename T> T *control(frmMain &window, const char *name)
{
    return window.findChild<T *>(QString::fromLatin1(name));
}
