#include "profiletext.h"

#include "cp1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

//! The text of bytes when they are valid UTF-8 from start to end.
std::optional<QString> decodeUtf8(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end of the file counts as an error.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString ProfileText::lineEnding() const
{
    for (const Line &line : lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return QStringLiteral("\n");
}

std::optional<QByteArray> ProfileText::readFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    // Anything but a plain file (a pipe could block the read for ever) is not a settings file.
    if (!info.isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool ProfileText::replaceFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The bytes may wait in the file's buffer; commit() would write them out while closing and
    // put the new file in place even when that write failed (a full disk, a size limit),
    // leaving an empty or cut-off settings file. Flushed here, a failure is seen in time.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

ProfileText ProfileText::fromBytes(const QByteArray &bytes)
{
    ProfileText profile;
    QString text;
    const bool marked = bytes.startsWith(Utf8ByteOrderMark);
    if (const auto utf8 = decodeUtf8(marked ? bytes.mid(Utf8ByteOrderMark.size()) : bytes)) {
        profile.byteOrderMark = marked;
        text = *utf8;
    } else {
        text = cp1252::decode(bytes);
    }

    profile.lines.reserve(text.count(QLatin1Char('\n')) + 1);
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype newline = text.indexOf(QLatin1Char('\n'), start);
        if (newline < 0) {
            profile.lines.append({text.mid(start), QString()});
            break;
        }
        const bool crlf = newline > start && text.at(newline - 1) == QLatin1Char('\r');
        const qsizetype end = crlf ? newline - 1 : newline;
        profile.lines.append(
            {text.mid(start, end - start), crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")});
        start = newline + 1;
    }
    return profile;
}

QByteArray ProfileText::toBytes() const
{
    QString text;
    for (const Line &line : lines)
        text += line.text + line.ending;
    QByteArray bytes = byteOrderMark ? Utf8ByteOrderMark : QByteArray();
    return bytes + text.toUtf8();
}
