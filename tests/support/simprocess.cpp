#include "simprocess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

SimProcess::SimProcess(const QString &executable, const QStringList &options)
    : m_link(m_dir.filePath(QStringLiteral("lcd")))
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(executable,
                    QStringList{QStringLiteral("--no-window"), QStringLiteral("--link"), m_link} +
                        options);
    if (!m_process.waitForStarted(10000))
        return;
    // Generous for a loaded machine: the link appears once the line is open.
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(m_link) && !deadline.hasExpired() &&
           m_process.state() == QProcess::Running)
        QThread::msleep(10);
    m_running = QFile::exists(m_link);
}

SimProcess::~SimProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void SimProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished(5000);
    m_running = false;
}
