#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace lcdsim {

/*! \brief Turns SIGINT and SIGTERM into a Qt signal, so the program ends through its event
 * loop and every destructor runs (the device link among them).
 *
 * The handler only writes a byte to a pipe; the event loop reads it. One instance at a time.
 * On systems without POSIX signals it never fires.
 */
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

signals:
    void stopRequested(int signalNumber);

private:
    void drain();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lcdsim
