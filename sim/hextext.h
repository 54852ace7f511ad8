#pragma once

#include <QByteArray>
#include <QString>

//! Hexadecimal texts for the log and the window, upper-case digits throughout.
namespace lcdsim::hextext {

//! "01 05 00 00": two digits per byte, single blanks between.
QString bytes(const QByteArray &data);

//! "0x0003" for value(3, 4).
QString value(unsigned number, int digits);

} // namespace lcdsim::hextext
