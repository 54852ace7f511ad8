#include "modbusslave.h"

#include <modbus/modbus.h>

#include <pthread.h>

ModbusSlave::ModbusSlave(int masterFd, int slaveId)
{
    // The device name is never opened: the slave talks through the descriptor it is given.
    m_context = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
    if (!m_context)
        return;
    modbus_set_slave(m_context, slaveId);
    modbus_set_socket(m_context, masterFd);
    // A short indication time-out lets the thread look at its stop flag regularly.
    modbus_set_indication_timeout(m_context, 0, 100000);
    m_mapping = modbus_mapping_new(2, 0, 25, 0);
    m_thread = std::thread([this] { serve(); });
    pthread_getcpuclockid(m_thread.native_handle(), &m_cpuClock);
}

ModbusSlave::~ModbusSlave()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_mapping)
        modbus_mapping_free(m_mapping);
    if (m_context)
        modbus_free(m_context);
}

qint64 ModbusSlave::cpuNanoseconds() const
{
    timespec used{};
    if (!m_thread.joinable() || clock_gettime(m_cpuClock, &used) != 0)
        return 0;
    return qint64(used.tv_sec) * 1000000000 + used.tv_nsec;
}

QList<QByteArray> ModbusSlave::requests() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

int ModbusSlave::holdingRegister(int address) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapping->tab_registers[address];
}

bool ModbusSlave::coil(int address) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapping->tab_bits[address] != 0;
}

void ModbusSlave::serve()
{
    uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!m_stop) {
        const int length = modbus_receive(m_context, request);
        if (length <= 0)
            continue;
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.append(QByteArray(reinterpret_cast<const char *>(request), length));
        modbus_reply(m_context, request, length, m_mapping);
    }
}
