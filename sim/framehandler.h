#pragma once

#include <QByteArray>
#include <QString>

namespace lcdsim {

class LcdSlave;

//! What one received frame did, and what the display says back.
struct FrameOutcome
{
    //! The request in words, for example "write coil 0 ON" or "bad CRC, ignored".
    QString meaning;
    //! The whole answer with its CRC; empty when the display stays silent.
    QByteArray answer;
    //! The answer in words, for example "echo" or "exception 02 (illegal data address)".
    QString answerMeaning;
};

/*! \brief Acts on one frame, as delimited by line silence, and builds the display's answer.
 *
 * A frame of exactly 110 bytes is a configuration image and is never answered. Anything else
 * is a Modbus RTU request: a bad CRC or another slave's address gets no answer, address 0 is
 * carried out without an answer, functions 05, 06 and 16 are served, every other function
 * gets exception 01.
 */
FrameOutcome handleFrame(const QByteArray &frame, LcdSlave &slave);

} // namespace lcdsim
