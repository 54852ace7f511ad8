#pragma once

#include "commerror.h"
#include "configimage.h"
#include "mscomm.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QComboBox;
class QLineEdit;
class TrafficRecorder;

namespace Ui {
class frmConfigLCD;
}

/*! \brief "Configure Pravix": sets up the display itself through a serial port of its own.
 *
 * The window object is made once and kept. Showing it loads it: its port opens at
 * "9600,n,8,1" on the main window's port number, the lists fill and the saved messages
 * appear. Closing it unloads it: the port closes and every control returns to its design
 * state, so the next showing loads again. "Send Config Data" writes the 110-byte
 * configuration image in one piece and saves the slave ID and the messages; each upload is
 * handed to the traffic recorder, when there is one.
 */
class frmConfigLCD : public QWidget
{
    Q_OBJECT

public:
    //! Makes the device behind the window's port; an empty factory means the real serial port.
    using DeviceFactory = std::function<std::unique_ptr<SerialDevice>()>;

    explicit frmConfigLCD(DeviceFactory deviceFactory = {}, QWidget *parent = nullptr);
    ~frmConfigLCD() override;

    //! Loads and shows the window, or only brings it to the front when it is loaded already.
    void showFromMenu();

    bool isLoaded() const { return MSComm1 != nullptr; }

    //! The window's port object while the window is loaded, otherwise null.
    const MSComm *serialPort() const { return MSComm1.get(); }

    //! Where uploads are recorded from now on; null records nothing.
    void setRecorder(TrafficRecorder *recorder) { m_recorder = recorder; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void load();
    //! Throws CommError when the port cannot be set up or opened.
    void openPort();
    //! " Comm Port Error" with the reason and its remedy, which standard error gets as well.
    void showPortError(const CommError &error);
    void fillLists();
    void unload();
    void centreOnScreen();

    void cmdConfig_Click();
    QString missingChoiceMessage() const;
    ConfigChoices chosenPositions() const;
    std::array<QString, ConfigImage::MessageCount> messageTexts() const;
    //! Why the image did not go out; empty when it did.
    std::optional<CommError> sendImage();
    void recordUpload(const QDateTime &written, bool sent);
    void saveSettings();

    std::unique_ptr<Ui::frmConfigLCD> ui;
    std::array<QLineEdit *, ConfigImage::MessageCount> txtMessage{};
    DeviceFactory m_deviceFactory;
    //! Exists while the window is loaded.
    std::unique_ptr<MSComm> MSComm1;
    ConfigImage m_image;
    //! What the layout puts into each combo box and message box before the load step.
    std::vector<std::pair<QComboBox *, QString>> m_designComboTexts;
    std::vector<std::pair<QLineEdit *, QString>> m_designMessageTexts;
    TrafficRecorder *m_recorder = nullptr;
};
