#include "reasontext.h"

namespace reasontext {

QString quoted(const QString &reason)
{
    QString text = reason.trimmed();
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

} // namespace reasontext
