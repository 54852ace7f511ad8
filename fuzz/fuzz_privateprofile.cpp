#include "privateprofile.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The private-profile layer on arbitrary file contents: every input becomes the settings file,
// the program's values are read, one is written, and then every value must read as it should.
namespace {

const std::array<const char *, 3> sections = {"Settings", "LCD", "Ports"};
const std::array<const char *, 6> keys = {"CommPort", "Setting", "Slave", "row1", "row6", "1"};
constexpr std::size_t entryCount = sections.size() * keys.size();

const QString &iniPath()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("pravix.ini"));
    return path;
}

QByteArray fileBytes()
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QString read(std::size_t entry)
{
    return privateprofile::readValue(iniPath(), QLatin1String(sections[entry % sections.size()]),
                                     QLatin1String(keys[entry / sections.size()]));
}

/* A file that ends in a bare CR has it joined to the LF a new line brings: the value on that
 * last line then loses its trailing CRs and the blanks before them. Nothing else may change. */
QString asAfterJoinedCr(QString text)
{
    while (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char(' ')) ||
           text.endsWith(QLatin1Char('\t')))
        text.chop(1);
    return text;
}

QString onOneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray contents(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    {
        QFile file(iniPath());
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(contents) == contents.size());
    }

    std::array<QString, entryCount> before;
    for (std::size_t entry = 0; entry < entryCount; ++entry)
        before[entry] = read(entry);
    require(fileBytes() == contents);

    // The last byte picks the entry written; the input's tail, as UTF-8, is the value.
    const unsigned selector = size > 0 ? data[size - 1] : 0U;
    const std::size_t written = selector % entryCount;
    const QString value = QString::fromUtf8(contents.right(selector % 41));
    require(privateprofile::writeValue(iniPath(),
                                       QLatin1String(sections[written % sections.size()]),
                                       QLatin1String(keys[written / sections.size()]), value));

    const bool endsInBareCr = contents.endsWith('\r');
    for (std::size_t entry = 0; entry < entryCount; ++entry) {
        const QString now = read(entry);
        if (entry == written)
            require(now == onOneLine(value));
        else if (endsInBareCr)
            require(asAfterJoinedCr(now) == asAfterJoinedCr(before[entry]));
        else
            require(now == before[entry]);
    }

    // Writing what is stored already changes nothing.
    const QByteArray once = fileBytes();
    require(privateprofile::writeValue(iniPath(),
                                       QLatin1String(sections[written % sections.size()]),
                                       QLatin1String(keys[written / sections.size()]), value));
    require(fileBytes() == once);
    return 0;
}
