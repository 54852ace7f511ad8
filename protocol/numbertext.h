#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

//! Numbers as people type them into files and command lines.
namespace numbertext {

/*! The value of \a text when it is 1 to \a longest digits of \a base (10, or 16 with a-f in
 * either case) and nothing else: no sign, no blank, no prefix, none of the other scripts' digits
 * that QString::toInt() would take. Empty otherwise. \a longest bounds the value as well, so it
 * must stay below what a qint64 holds in that base. */
std::optional<qint64> digits(const QString &text, int longest, int base = 10);

} // namespace numbertext
