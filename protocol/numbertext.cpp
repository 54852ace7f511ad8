#include "numbertext.h"

namespace numbertext {
namespace {

bool isDigit(QChar c, int base)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return true;
    return base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F'));
}

} // namespace

std::optional<qint64> digits(const QString &text, int longest, int base)
{
    if (text.isEmpty() || text.size() > longest)
        return std::nullopt;
    for (const QChar c : text) {
        if (!isDigit(c, base))
            return std::nullopt;
    }
    return text.toLongLong(nullptr, base);
}

} // namespace numbertext
