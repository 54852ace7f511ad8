#pragma once

#include "portsurvey.h"

#include <QAbstractTableModel>

/*! \brief The listed serial devices of a survey as a table: one row per device.
 *
 * The column titles and cell texts are also what `pravixctl ports` prints, so the window and
 * the command line show the same list.
 */
class DeviceTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Port, Device, Description, Manufacturer, SerialNumber, UsbId, StableName };
    static constexpr int ColumnCount = StableName + 1;

    explicit DeviceTableModel(QObject *parent = nullptr);

    //! Shows this survey's devices instead of the last one's.
    void setSurvey(const PortSurvey &survey);
    const PortSurvey &survey() const { return m_survey; }

    static QString title(int column);
    //! Empty text where the system knows nothing, or no port number reaches the device.
    static QString text(const ListedDevice &device, int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    PortSurvey m_survey;
};
