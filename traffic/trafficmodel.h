#pragma once

#include "diagnosis.h"
#include "trafficrecord.h"
#include "trafficstatistics.h"

#include <QAbstractTableModel>

#include <deque>

/*! \brief The traffic history as a table, newest last: the newest records up to a cap, and the
 * statistics and the diagnosis of everything added since the last clear.
 *
 * The newest capacity() records are always kept, and up to a hundredth of the cap more: when
 * that is full, the oldest rows go together down to the cap. A view shows a row taken off the
 * top by moving every row below it, which for one row per new record would redraw the whole
 * view each time. The statistics keep counting what the table no longer holds.
 */
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Window, Device, Settings, Sent, Received, Outcome, FirstByte, LastByte };
    static constexpr int ColumnCount = LastByte + 1;
    static constexpr int DefaultCapacity = 10000;
    //! The record's number, counted from the first record this model was given and never
    //! reused, so that a row keeps its identity while the rows above it go.
    static constexpr int RecordNumberRole = Qt::UserRole;

    explicit TrafficModel(QObject *parent = nullptr, int capacity = DefaultCapacity);

    void append(const TrafficRecord &record);
    //! Empties the table and starts the statistics afresh.
    void clear();

    int capacity() const { return m_capacity; }
    //! The most rows held at once: the cap and the rows past it that go together.
    int heldAtMost() const { return m_capacity + m_capacity / 100; }
    const TrafficRecord &record(int row) const { return m_records[size_t(row)]; }
    quint64 recordNumber(int row) const { return m_firstNumber + quint64(row); }
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
    //! The number of the record in the first row.
    quint64 m_firstNumber = 0;
    TrafficStatistics m_statistics;
    LineDiagnosis m_diagnosis;
};
