#pragma once

#include "linesettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace lcdsim {

/*! \brief The simulator's end of the line to the master: bytes in, bytes out, and what the
 * line is set to. A pseudo-terminal of its own or a real serial port.
 */
class LineEnd : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    //! The device a master opens, or the serial port played on, as the user names it.
    virtual QString devicePath() const = 0;

    /*! The line as the bytes that arrive were sent; std::nullopt when it cannot be read, as
     * then the line is taken to be what the display listens at. */
    virtual std::optional<LineSettings> lineSettings() const = 0;

    //! Puts bytes on the line; false when they were not all taken.
    virtual bool write(const QByteArray &bytes) = 0;

    /*! True when the device spends each character's wire time itself (a serial port's UART),
     * so an answer can be handed to it whole. */
    virtual bool pacesItself() const = 0;

    //! The display now listens at line: a device that hears at one line only follows it.
    virtual void listenAt(const LineSettings &line) = 0;

signals:
    void received(const QByteArray &bytes);
    //! The line can no longer be used; the reason names the device.
    void failed(const QString &reason);
};

} // namespace lcdsim
