#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <ctime>
#include <mutex>
#include <thread>

struct _modbus;
struct _modbus_mapping_t;

/*! \brief A real Modbus RTU slave (libmodbus) serving the far end of a pseudo-terminal.
 *
 * It runs on a thread of its own, answers as libmodbus does, and keeps every request it
 * received, whole, for the test to compare byte for byte.
 */
class ModbusSlave
{
public:
    ModbusSlave(int masterFd, int slaveId);
    ~ModbusSlave();
    ModbusSlave(const ModbusSlave &) = delete;
    ModbusSlave &operator=(const ModbusSlave &) = delete;

    bool isValid() const { return m_context != nullptr; }
    QList<QByteArray> requests() const;
    int holdingRegister(int address) const;
    bool coil(int address) const;
    //! Processor time the slave's thread has used so far, so that a benchmark in the same
    //! process can tell the far end's work from the program's.
    qint64 cpuNanoseconds() const;

private:
    void serve();

    _modbus *m_context = nullptr;
    _modbus_mapping_t *m_mapping = nullptr;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QList<QByteArray> m_requests;
    std::thread m_thread;
    clockid_t m_cpuClock{};
};
