#pragma once

#include "portsurvey.h"

#include <QWidget>

class DeviceTableModel;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

/*! \brief "Ports": the serial devices the system lists, which port number reaches each and
 * which numbers reach nothing; on Linux and macOS, a port number for the chosen device.
 *
 * A modeless top-level window, made once and kept. The list is taken afresh each time the
 * window is opened from the menu and on "Refresh".
 */
class PortsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PortsWindow(DeviceLookup lookup, QWidget *parent = nullptr);

    //! Lists the devices again and shows the window, or brings it to the front.
    void showFromMenu();

signals:
    //! A port number now reaches another device.
    void portMapChanged();

private:
    void refresh();
    void deviceChosen();
    void applyPressed();
    //! The name of the device chosen in the table; empty when none is.
    QString chosenDevice() const;

    DeviceLookup m_lookup;
    DeviceTableModel *m_model;
    QTableView *m_table;
    QLabel *m_numbers;
    QComboBox *m_number;
    QPushButton *m_apply;
    QPushButton *m_refresh;
    QLabel *m_status;
    //! Set while a refresh chooses the device that was chosen before.
    bool m_reselecting = false;
};
