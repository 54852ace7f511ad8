#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

//! Hexadecimal texts for frames and values, upper-case digits throughout, the one formatter
//! of the whole project: the monitor, the logs, the lists and the CRC texts all use it.
namespace hextext {

//! "0F": two digits, leading zero kept.
QString byte(quint8 value);

//! "01 05 00 00": two digits per byte, single blanks between; empty for no bytes.
QString bytes(const QByteArray &data);

//! The bytes of a text in the form bytes() writes (either case of digit); nothing for any other
//! text.
std::optional<QByteArray> parseBytes(const QString &text);

//! "01 05 00 00 ": the monitor's form, every byte followed by a blank.
QString monitor(const QByteArray &data);

//! "0x0003" for value(3, 4).
QString value(unsigned number, int digits);

} // namespace hextext
