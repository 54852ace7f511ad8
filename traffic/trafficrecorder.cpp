#include "trafficrecorder.h"

TrafficRecorder::TrafficRecorder(QObject *parent) : QObject(parent), m_model(new TrafficModel(this))
{
}

void TrafficRecorder::setLog(std::unique_ptr<TrafficLog> log)
{
    m_log = std::move(log);
}

void TrafficRecorder::record(const TrafficRecord &record)
{
    m_model->append(record);
    if (m_log && !m_log->append(record)) {
        // A full disk or a vanished share does not stop the exchanges; it ends the log.
        const QString error = m_log->errorText();
        m_log.reset();
        emit logFailed(error);
    }
}
