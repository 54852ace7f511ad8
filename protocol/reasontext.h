#pragma once

#include <QString>

namespace reasontext {

/*! A reason the system gives for a failure, ready to be quoted inside a sentence of ours:
 * trimmed, and without the full stop Windows ends its reasons with. */
QString quoted(const QString &reason);

} // namespace reasontext
