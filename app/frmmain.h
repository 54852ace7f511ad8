#pragma once

#include "mscomm.h"

#include <QMainWindow>

#include <memory>

class QTimer;
class SerialDevice;

namespace Ui {
class frmMain;
}

/*! \brief The main window: port settings and connection, slave address, the three Modbus
 * command groups and the communication monitor.
 *
 * Construction restores port number, settings and slave address from pravix.ini and leaves
 * the port closed; closing the window saves port number and settings. The connection state
 * lives in the caption of cmdConnect ("Connect" / "Disconnect") and nowhere else.
 */
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    //! Without a device, MSComm1 drives the real serial device its port number maps to.
    explicit frmMain(std::unique_ptr<SerialDevice> device = nullptr, QWidget *parent = nullptr);
    ~frmMain() override;

    //! The window's serial port object, MSComm1.
    MSComm &serialPort() { return MSComm1; }

signals:
    //! "Config LCD" was chosen: the main port is closed and UseRts sampled.
    void configWindowRequested();

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
    void connectPressed();
    void slaveChosen(int index);
    void configChosen();

    void showConnected(bool connected);

    std::unique_ptr<Ui::frmMain> ui;
    QTimer *Timer1;
    MSComm MSComm1;
};
