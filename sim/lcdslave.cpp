#include "lcdslave.h"

namespace lcdsim {
namespace {

constexpr quint16 twoBlanks = 0x2020;

} // namespace

LcdSlave::LcdSlave(int slaveId, QObject *parent) : QObject(parent), m_slaveId(slaveId)
{
    // A display starts with an empty screen, not a row of zero characters.
    for (int r = 0; r < screenRegisters; ++r)
        m_registers[r] = twoBlanks;
}

void LcdSlave::setLineSettings(const LineSettings &line)
{
    m_line = line;
    emit changed();
}

void LcdSlave::writeRegister(int address, quint16 value)
{
    m_registers.at(address) = value;
    emit changed();
}

void LcdSlave::writeText(int startRegister, const QByteArray &bytes)
{
    for (int i = 0; i < bytes.size(); ++i) {
        quint16 &reg = m_registers.at(startRegister + i / 2);
        const auto b = static_cast<quint8>(bytes.at(i));
        reg = (i % 2 == 0) ? static_cast<quint16>((reg & 0x00FF) | (b << 8))
                           : static_cast<quint16>((reg & 0xFF00) | b);
    }
    emit changed();
}

void LcdSlave::writeCoil(int address, bool on)
{
    m_coils.at(address) = on;
    emit changed();
}

QByteArray LcdSlave::line(int index) const
{
    QByteArray text;
    text.reserve(lineLength);
    const int first = index * lineLength / 2;
    for (int r = first; r < first + lineLength / 2; ++r) {
        text.append(static_cast<char>(m_registers.at(r) >> 8));
        text.append(static_cast<char>(m_registers.at(r) & 0xFF));
    }
    return text;
}

bool LcdSlave::applySetup(const DisplaySetup &setup)
{
    m_setup = setup;
    const bool idUsable = setup.slaveId >= firstSlaveId && setup.slaveId <= lastSlaveId;
    if (idUsable)
        m_slaveId = setup.slaveId;
    if (const std::optional<LineSettings> line = LineSettings::fromSetup(setup))
        m_line = *line;
    // The display restarts into its start-up screens, so an upload shows at once.
    for (int l = 0; l < lineCount; ++l) {
        const int screen = setup.startupScreens[l];
        const bool stored = screen >= 1 && screen <= DisplaySetup::messageCount;
        writeText(l * lineLength / 2, stored ? setup.messages[screen - 1].leftJustified(lineLength)
                                             : QByteArray(lineLength, ' '));
    }
    emit changed();
    return idUsable;
}

} // namespace lcdsim
