#include "trafficmodel.h"

#include "hextext.h"

#include <array>

TrafficModel::TrafficModel(QObject *parent, int capacity)
    : QAbstractTableModel(parent), m_capacity(capacity)
{
}

void TrafficModel::append(const TrafficRecord &record)
{
    // The oldest rows leave first, so a view scrolled to the bottom stays there.
    if (int(m_records.size()) >= heldAtMost()) {
        const int trimmed = int(m_records.size()) + 1 - m_capacity;
        beginRemoveRows(QModelIndex(), 0, trimmed - 1);
        m_records.erase(m_records.begin(), m_records.begin() + trimmed);
        m_firstNumber += quint64(trimmed);
        endRemoveRows();
    }
    const int row = int(m_records.size());
    beginInsertRows(QModelIndex(), row, row);
    m_records.push_back(record);
    endInsertRows();
    m_statistics.add(record);
    m_diagnosis.add(record);
    emit statisticsChanged();
}

void TrafficModel::setLocalEcho(bool on)
{
    m_diagnosis.setLocalEcho(on);
    emit statisticsChanged();
}

void TrafficModel::clear()
{
    beginResetModel();
    m_firstNumber += m_records.size();
    m_records.clear();
    m_statistics.clear();
    m_diagnosis.clear();
    endResetModel();
    emit statisticsChanged();
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const TrafficRecord &entry = record(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(entry, index.column());
    case Qt::ToolTipRole:
        // What a narrow column cuts short, and what the table has no column for.
        if (index.column() == Time)
            return entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (index.column() == FirstByte || index.column() == LastByte)
            return QStringLiteral("wait %1 ms").arg(entry.waitMs, 0, 'f', 1);
        return text(entry, index.column());
    case RecordNumberRole:
        return recordNumber(index.row());
    case Qt::TextAlignmentRole:
        if (index.column() == FirstByte || index.column() == LastByte)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QString TrafficModel::text(const TrafficRecord &record, int column) const
{
    switch (column) {
    case Time:
        return record.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case Window:
        return record.window;
    case Device:
        return record.device;
    case Settings:
        return record.settings;
    case Sent:
        return hextext::bytes(record.sent);
    case Received:
        return hextext::bytes(record.received);
    case Outcome:
        return outcomeToken(record.outcome);
    case FirstByte:
        return millisecondsText(record.firstByteMs);
    case LastByte:
        return millisecondsText(record.lastByteMs);
    }
    return QString();
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const std::array<QString, ColumnCount> titles = {
        QStringLiteral("Time"),           QStringLiteral("Window"),
        QStringLiteral("Device"),         QStringLiteral("Settings"),
        QStringLiteral("Sent"),           QStringLiteral("Received"),
        QStringLiteral("Outcome"),        QStringLiteral("First byte (ms)"),
        QStringLiteral("Last byte (ms)"),
    };
    return section >= 0 && section < ColumnCount ? titles[size_t(section)] : QVariant();
}
