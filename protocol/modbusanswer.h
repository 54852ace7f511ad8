#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

/*! \brief What the bytes that came back after a request are, told from the bytes alone.
 *
 * No port and no clock: the main window, pravixctl and the line diagnosis each decide what to do
 * with a verdict, but what the bytes are is decided here once.
 */
namespace modbusanswer {

//! The length of every normal answer to functions 05, 06 and 16.
constexpr int wholeLength = 8;
//! Slave address, function code with the exception flag, exception code and CRC.
constexpr int exceptionLength = 5;
//! Set in the function code of an exception answer.
constexpr quint8 exceptionFlag = 0x80;

enum class Verdict {
    //! No byte came.
    Nothing,
    //! Fewer than a whole answer, and not a frame with a correct CRC.
    Partial,
    //! A whole answer (its first 8 bytes, when more came) whose CRC does not hold.
    CrcError,
    //! A whole answer with a correct CRC from the addressed slave.
    Answer,
    //! 5 bytes with a correct CRC: the addressed slave refuses the request's function.
    Exception,
    /*! A frame with a correct CRC (5 bytes or more, the first 8 when more came) whose slave
     * address is not the request's, or whose function code is neither the request's nor its
     * exception: another device answered. */
    OtherDevice,
};

/*! The verdict on \a received as the answer to \a request. Bytes beyond the first 8 are never
 * looked at; a request of fewer than two bytes names no slave or function, so nothing is then
 * an exception answer or another device's. */
Verdict judge(const QByteArray &request, const QByteArray &received);

//! "illegal data address" for 02: what the Modbus exception codes mean; "unknown code" otherwise.
QString exceptionName(int code);

} // namespace modbusanswer
