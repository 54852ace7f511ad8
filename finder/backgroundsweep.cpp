#include "backgroundsweep.h"

#include <QThread>

namespace finder {

BackgroundSweep::BackgroundSweep(QObject *parent) : QObject(parent) {}

BackgroundSweep::~BackgroundSweep()
{
    cancel();
    if (m_thread)
        m_thread->wait();
}

template <typename Value>
void BackgroundSweep::post(void (BackgroundSweep::*signal)(const Value &), Value value)
{
    QMetaObject::invokeMethod(
        this, [this, signal, value] { emit(this->*signal)(value); }, Qt::QueuedConnection);
}

bool BackgroundSweep::start(const QString &device, ProbePlan plan, SweepOptions options)
{
    if (m_thread)
        return false;
    m_stop.store(false);
    options.stop = &m_stop;
    m_thread.reset(QThread::create([this, device, plan = std::move(plan), options] {
        SweepObserver observer;
        observer.probing = [this](const SweepProgress &p) { post(&BackgroundSweep::probing, p); };
        observer.probed = [this](const TrafficRecord &r) { post(&BackgroundSweep::probed, r); };
        observer.found = [this](const Found &f) { post(&BackgroundSweep::found, f); };
        const SweepResult result = sweep(device, plan, options, observer);
        // Posted last, so every report of the search is delivered before it.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_thread->wait();
                m_thread.reset();
                emit finished(result);
            },
            Qt::QueuedConnection);
    }));
    m_thread->start();
    return true;
}

void BackgroundSweep::cancel()
{
    m_stop.store(true);
}

} // namespace finder
