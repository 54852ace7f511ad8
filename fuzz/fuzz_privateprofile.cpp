#include "fuzzcheck.h"
#include "privateprofile.h"
#include "profiletext.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// The private-profile parser on arbitrary file contents, in memory, through the entry points the
// file functions use: one value is written, and then it must read back as written, and every
// other line of the file must still be there, in order.
namespace {

const std::array<const char *, 3> sections = {"Settings", "LCD", "Ports"};
const std::array<const char *, 6> keys = {"CommPort", "Setting", "Slave", "row1", "row6", "1"};
constexpr std::size_t entryCount = sections.size() * keys.size();


QString onOneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

/* A line's text as it compares: a file that ends in a bare CR has it joined to the LF that a new
 * line brings, so trailing CRs do not count. */
QString comparable(QString text)
{
    while (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

/* Only the written entry's line changed, or its one or two new lines ("[section]" and
 * "key=value") were added: the old lines keep their text and their order. */
void requireOtherLinesKept(const QByteArray &beforeBytes, const QByteArray &afterBytes,
                           const QString &section, const QString &key)
{
    const ProfileText before = ProfileText::fromBytes(beforeBytes);
    const ProfileText after = ProfileText::fromBytes(afterBytes);
    require(after.byteOrderMark == before.byteOrderMark);
    const qsizetype added = after.lines.size() - before.lines.size();
    require(added >= 0 && added <= 2);

    if (added == 0) {
        int changed = 0;
        for (qsizetype i = 0; i < before.lines.size(); ++i) {
            if (comparable(before.lines[i].text) != comparable(after.lines[i].text))
                ++changed;
        }
        require(changed <= 1);
        return;
    }

    // The old lines are the new ones but for the added ones, which name the section or the key.
    qsizetype old = 0;
    for (const ProfileText::Line &line : after.lines) {
        if (old < before.lines.size() &&
            comparable(before.lines[old].text) == comparable(line.text)) {
            ++old;
            continue;
        }
        const QString text = line.text.trimmed();
        require(text.compare(QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive) ==
                    0 ||
                text.startsWith(key + QLatin1Char('='), Qt::CaseInsensitive));
    }
    require(old == before.lines.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    // The last byte picks the entry written; the input's tail, as UTF-8, is the value.
    const unsigned selector = size > 0 ? data[size - 1] : 0U;
    const std::size_t entry = selector % entryCount;
    const QString section = QLatin1String(sections[entry % sections.size()]);
    const QString key = QLatin1String(keys[entry / sections.size()]);
    const QString value = QString::fromUtf8(contents.right(selector % 41));

    const std::optional<QByteArray> after =
        privateprofile::withValue(contents, section, key, value);
    require(after.has_value());
    require(privateprofile::valueIn(*after, section, key) == onOneLine(value));
    requireOtherLinesKept(contents, *after, section, key);
    return 0;
}
