#pragma once

#include "diagnosis.h"
#include "trafficrecord.h"
#include "trafficstatistics.h"

#include <QAbstractTableModel>

#include <deque>

/*! \brief The traffic history as a table, newest last: the newest records up to a cap, and the
 * statistics and the diagnosis of everything added since the last clear.
 *
 * When the cap is reached the oldest row goes as each new one comes; the statistics keep
 * counting.
 */
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Window, Device, Settings, Sent, Received, Outcome, FirstByte, LastByte };
    static constexpr int ColumnCount = LastByte + 1;
    static constexpr int DefaultCapacity = 10000;

    explicit TrafficModel(QObject *parent = nullptr, int capacity = DefaultCapacity);

    void append(const TrafficRecord &record);
    //! Empties the table and starts the statistics afresh.
    void clear();

    int capacity() const { return m_capacity; }
    const TrafficRecord &record(int row) const { return m_records[size_t(row)]; }
    const TrafficStatistics &statistics() const { return m_statistics; }
    const LineDiagnosis &diagnosis() const { return m_diagnosis; }
    //! Whether the exchange takes an adapter's echo off the answer, so no echo is named.
    void setLocalEcho(bool on);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    //! The statistics and the diagnosis changed: a record was added or the history cleared.
    void statisticsChanged();

private:
    QString text(const TrafficRecord &record, int column) const;

    int m_capacity;
    std::deque<TrafficRecord> m_records;
    TrafficStatistics m_statistics;
    LineDiagnosis m_diagnosis;
};
