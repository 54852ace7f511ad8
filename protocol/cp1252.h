#pragma once

#include <QByteArray>
#include <QString>

/*! \brief Windows-1252, the display's 8-bit character set.
 *
 * One byte stands for one character, so character counts stay byte counts on the wire.
 */
namespace cp1252 {

//! One byte per character (a surrogate pair is one character); '?' for what has no code.
QByteArray encode(const QString &text);

//! Every byte gives one character; the five unassigned bytes give the C1 controls of that value.
QString decode(const QByteArray &bytes);

} // namespace cp1252
