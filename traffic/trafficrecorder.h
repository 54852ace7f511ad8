#pragma once

#include "trafficlog.h"
#include "trafficmodel.h"
#include "trafficrecord.h"

#include <QObject>
#include <QString>

#include <memory>

/*! \brief Where every window hands the records of its traffic: the history's table and, when
 * the user asked for one, the log file.
 *
 * One recorder serves the whole program. A log that fails stops being written, and the
 * failure is reported once.
 */
class TrafficRecorder : public QObject
{
    Q_OBJECT

public:
    explicit TrafficRecorder(QObject *parent = nullptr);

    //! Appends every following record to this log, which must be open.
    void setLog(std::unique_ptr<TrafficLog> log);
    const TrafficLog *log() const { return m_log.get(); }

    void record(const TrafficRecord &record);

    TrafficModel *model() { return m_model; }

signals:
    //! The log could not be written and is closed; \a error names the file and the reason.
    void logFailed(const QString &error);

private:
    TrafficModel *m_model;
    std::unique_ptr<TrafficLog> m_log;
};
