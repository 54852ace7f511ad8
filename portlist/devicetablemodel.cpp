#include "devicetablemodel.h"

#include <QStringList>

#include <array>

DeviceTableModel::DeviceTableModel(QObject *parent) : QAbstractTableModel(parent) {}

void DeviceTableModel::setSurvey(const PortSurvey &survey)
{
    beginResetModel();
    m_survey = survey;
    endResetModel();
}

QString DeviceTableModel::title(int column)
{
    static const std::array<QString, ColumnCount> titles = {
        QStringLiteral("Port"),          QStringLiteral("Device"),
        QStringLiteral("Description"),   QStringLiteral("Manufacturer"),
        QStringLiteral("Serial number"), QStringLiteral("USB ID"),
        QStringLiteral("Stable name")};
    return titles.at(size_t(column));
}

QString DeviceTableModel::text(const ListedDevice &device, int column)
{
    switch (column) {
    case Port: {
        QStringList numbers;
        for (const int number : device.portNumbers)
            numbers.append(QString::number(number));
        return numbers.join(QStringLiteral(", "));
    }
    case Device:
        return device.name();
    case Description:
        return device.info.description;
    case Manufacturer:
        return device.info.manufacturer;
    case SerialNumber:
        return device.info.serialNumber;
    case UsbId:
        return device.usbId();
    case StableName:
        return device.stableName;
    default:
        return QString();
    }
}

int DeviceTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_survey.devices().size());
}

int DeviceTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeviceTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const ListedDevice &device = m_survey.devices().at(index.row());
    if (role == Qt::DisplayRole)
        return text(device, index.column());
    // The stable name is long; the whole of it is one hover away when the column is narrow.
    if (role == Qt::ToolTipRole && index.column() == StableName && !device.stableName.isEmpty())
        return device.stableName;
    return QVariant();
}

QVariant DeviceTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return title(section);
    return QVariant();
}
