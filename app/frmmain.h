#pragma once

#include "exchange.h"
#include "findwindow.h"
#include "frmconfiglcd.h"
#include "mscomm.h"
#include "portsurvey.h"

#include <QMainWindow>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class PortsWindow;
class QComboBox;
class QTimer;
class SerialDevice;
class TrafficRecorder;
class TrafficWindow;

namespace Ui {
class frmMain;
}

/*! \brief The main window: port settings and connection, slave address, the three Modbus
 * command groups and the communication monitor.
 *
 * Construction restores port number, settings and slave address from pravix.ini and leaves
 * the port closed; closing the window saves port number and settings and lets go of the port.
 * The connection state lives in the caption of cmdConnect ("Connect" / "Disconnect") and
 * nowhere else.
 *
 * A Send starts one exchange and returns to the event loop; the exchange ends on the timer tick
 * that completes its wait and then emits exchangeEnded(). Until it has ended, the Send buttons,
 * Connect/Disconnect and "Config LCD" do nothing, and a request to close the window is carried
 * out once it has ended.
 *
 * Every exchange and every configuration upload is handed to the program's traffic recorder,
 * which the "Traffic" window shows; closing this window closes that one too.
 */
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    /*! Without a device, MSComm1 drives the real serial device its port number maps to; an
     * empty factory gives the configuration window the real device as well. */
    explicit frmMain(std::unique_ptr<SerialDevice> device = nullptr,
                     frmConfigLCD::DeviceFactory configDevices = {}, QWidget *parent = nullptr);
    ~frmMain() override;

    //! The window's serial port object, MSComm1.
    MSComm &serialPort() { return MSComm1; }

    //! The configuration window, made by the first "Config LCD" and kept; null until then.
    frmConfigLCD *configWindow() const { return m_configWindow.get(); }

    //! The program's traffic history, fed by this window and the configuration window.
    TrafficRecorder &recorder() { return *m_recorder; }

    //! The Traffic window, made by the first "Traffic" and kept; null until then.
    TrafficWindow *trafficWindow() const { return m_trafficWindow.get(); }

    //! The Ports window, made by the first "Ports" and kept; null until then.
    PortsWindow *portsWindow() const { return m_portsWindow.get(); }

    //! The "Find LCD" window, made by the first "Find LCD…" and kept; null until then.
    FindWindow *findWindow() const { return m_findWindow.get(); }

    //! Where the port list and the Ports window look for devices; the system's unless set.
    void setDeviceLookup(DeviceLookup lookup);

    //! True from a Send's request until its outcome is shown and recorded.
    bool exchangeInProgress() const { return m_exchange.inProgress(); }

signals:
    //! A Send's exchange is over: its outcome is shown and recorded, a port failure told.
    void exchangeEnded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void setUpWindow();
    void load();
    void fillCommandLists();
    void connectHandlers();

    void portChosen(int index);
    void baudChosen(const QString &baud);
    void dataFormatChosen(int index);
    void applySettings(const QString &settings);
    //! Runs a port operation of a settings handler; a failure is shown, not thrown.
    bool applyToPort(const std::function<void()> &operation);
    //! "COMM PORT ERROR!" with the reason and its remedy, which standard error gets as well.
    void showPortError(const CommError &error);
    void connectPressed();
    void slaveChosen(int index);
    void configChosen();
    void trafficChosen();
    void portsChosen();
    //! Each entry of the port list says in its tooltip what is behind its number now.
    void refreshPortTooltips();
    void findChosen();
    //! The line a search takes over, after letting go of the port; empty when it cannot.
    std::optional<SearchLine> searchLine(QString *whyNot);
    //! A display found: its line setting and ID become the window's; the port stays closed.
    void useFound(const SerialSettings &line, int slave);
    //! Selects the baud button and the data format of one of the nine settings strings.
    void showSettings(const QString &settings);

    void send05Pressed();
    void send06Pressed();
    void send16Pressed();

    //! A list the request needs a value from, and the words its message names it by.
    struct RequiredList
    {
        const QComboBox *list;
        QString name;
    };
    //! True when every list has a chosen entry; otherwise tells the user about the first without.
    bool haveChoices(std::initializer_list<RequiredList> lists);
    void exchangeFinished(Exchange::Outcome outcome);

    void showConnected(bool connected);

    std::unique_ptr<Ui::frmMain> ui;
    QTimer *Timer1;
    MSComm MSComm1;
    Exchange m_exchange;
    //! A close asked for during an exchange, carried out when it has ended.
    bool m_closePending = false;
    frmConfigLCD::DeviceFactory m_configDevices;
    //! A top-level window of its own, made on the first "Config LCD" and kept for the run.
    std::unique_ptr<frmConfigLCD> m_configWindow;
    TrafficRecorder *m_recorder;
    std::unique_ptr<TrafficWindow> m_trafficWindow;
    DeviceLookup m_deviceLookup = DeviceLookup::system();
    std::unique_ptr<PortsWindow> m_portsWindow;
    std::unique_ptr<FindWindow> m_findWindow;
};
