#pragma once

#include "displaysetup.h"
#include "linesettings.h"

#include <QByteArray>
#include <QObject>

#include <array>
#include <optional>

namespace lcdsim {

/*! \brief What the simulated display holds: its slave address, the line settings it listens
 * at, registers, coils and set-up.
 *
 * Holding registers 0 to 15 are the text screen, two characters each, high byte first:
 * registers 0 to 7 line 0, 8 to 15 line 1. Registers 16 to 24 and coils 0 and 1 are plain
 * storage of this model; the module itself gives them meanings the simulator does not play.
 */
class LcdSlave : public QObject
{
    Q_OBJECT

public:
    static constexpr int lineCount = 2;
    static constexpr int lineLength = 16;
    static constexpr int screenRegisters = lineCount * lineLength / 2;
    static constexpr int registerCount = 25;
    static constexpr int coilCount = 2;
    static constexpr int firstSlaveId = 1;
    static constexpr int lastSlaveId = 247;

    explicit LcdSlave(int slaveId = 1, QObject *parent = nullptr);

    int slaveId() const { return m_slaveId; }

    //! The speed and character format the display listens and answers at.
    const LineSettings &lineSettings() const { return m_line; }
    void setLineSettings(const LineSettings &line);

    quint16 holdingRegister(int address) const { return m_registers.at(address); }
    void writeRegister(int address, quint16 value);

    /*! Writes bytes into the screen registers from the high byte of startRegister on; an odd
     * count leaves the low byte of the last register as it was. The caller keeps the bytes
     * within the screen. */
    void writeText(int startRegister, const QByteArray &bytes);

    bool coil(int address) const { return m_coils.at(address); }
    void writeCoil(int address, bool on);

    //! The 16 bytes line 0 or 1 shows.
    QByteArray line(int index) const;

    //! The last configuration image taken, if any.
    const std::optional<DisplaySetup> &setup() const { return m_setup; }

    /*! Takes a decoded configuration image: its ID becomes the address answered to when it is
     * a slave address (1 to 247), its baud and format codes the line settings when both are
     * known, and each line shows its start-up screen (that message, or blanks for none) until
     * it is written to. Returns false when the ID was not usable and the address stayed. */
    bool applySetup(const DisplaySetup &setup);

signals:
    void changed();

private:
    int m_slaveId;
    LineSettings m_line;
    std::array<quint16, registerCount> m_registers{};
    std::array<bool, coilCount> m_coils{};
    std::optional<DisplaySetup> m_setup;
};

} // namespace lcdsim
