#pragma once

#include "lineend.h"

#include <memory>

class QSocketNotifier;

namespace lcdsim {

/*! \brief The simulator's end of the line: a pseudo-terminal in raw mode.
 *
 * A master program opens devicePath() as its serial port; the simulator reads and writes the
 * other side. The simulator keeps the device side open itself, so the terminal survives a
 * master closing and reopening its port. POSIX only; elsewhere open() fails with a message.
 *
 * The terminal's speed and character format are whatever the master last set on its side; the
 * simulator's side reads them back (on Linux the two sides share one set of terminal settings).
 */
class PseudoTerminal : public LineEnd
{
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    //! True on the systems that offer pseudo-terminals.
    static bool available();

    /*! Creates the terminal with its line at the given settings, as a port no master has set up
     * yet; false with the reason in *error. */
    bool open(const LineSettings &initial, QString *error);
    //! The device a master opens, for example /dev/pts/5.
    QString devicePath() const override { return m_devicePath; }

    /*! Makes path a symbolic link to the device, removed again when this object goes. An
     * existing symbolic link there (left by an earlier run) is replaced; any other file is not. */
    bool makeLink(const QString &path, QString *error);

    //! The line as the master has set it; std::nullopt when it cannot be read.
    std::optional<LineSettings> lineSettings() const override;

    //! Puts bytes on the line; false when the master's side did not take them all.
    bool write(const QByteArray &bytes) override;

    //! Bytes pass at once, so the simulator spends their wire time.
    bool pacesItself() const override { return false; }

    //! The master sets the line; the terminal carries whatever it set.
    void listenAt(const LineSettings &) override {}

private:
    void readAvailable();
    void closeAll();

    int m_controlFd = -1;
    int m_deviceFd = -1;
    QString m_devicePath;
    QString m_linkPath;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace lcdsim
