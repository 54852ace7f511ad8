#pragma once

#include "serialsettings.h"

#include <QByteArray>
#include <QString>

/*! \brief Finding a display whose slave ID or line settings are not known.
 *
 * The probe is the function 16 request an empty message sends: start register 0, register
 * count 0, byte count 0. It writes nothing, so the display shows what it showed before. A
 * display answers it at its own ID and line settings only; any answer with a correct CRC from
 * the probed ID, normal or exception, means a display is there.
 */
namespace finder {

/*! Silence allowed beyond the wire time of the probe and its answer: the display's own
 * turnaround, and the operating system's and the adapter's delays on the way. */
constexpr int turnaroundMarginMs = 20;

//! The probe's length: address, function, start and count (two bytes each), byte count, CRC.
constexpr int probeLength = 9;

//! Milliseconds the probe and its 8-byte answer take on the wire at \a line.
double probeWireMs(const SerialSettings &line);

//! How long a probe at \a line waits for the answer: the wire time, rounded up, plus the margin.
int probeWaitMs(const SerialSettings &line);

/*! The probe for \a slave. Built by the window's own function 16 builder, which works in the
 * program-wide TxBuf: call it on the thread that sends the main window's requests. */
QByteArray probeRequest(int slave);

//! A display that answered.
struct Found
{
    SerialSettings line;
    int slave = 1;
    //! It refused the probe with an exception answer, which shows it is there all the same.
    bool exception = false;

    //! "ID 7 at 19200 8N2".
    QString label() const;
};

} // namespace finder
