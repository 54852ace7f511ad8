#pragma once

#include <QList>
#include <QString>

#include <optional>

/*! \brief A settings file as lines of text, each with the line ending it had.
 *
 * Keeping every line's own ending lets an edit change one line and leave the rest of the file
 * byte for byte as it was.
 */
struct ProfileText
{
    struct Line
    {
        QString text;
        //! "\n", "\r\n", or empty for a last line without a line break.
        QString ending;
    };

    QList<Line> lines;
    bool byteOrderMark = false;

    //! The ending new lines get: the file's first one, "\n" for a file without any.
    QString lineEnding() const;

    /*! \brief The file's lines from its bytes: UTF-8, or Windows-1252 when the bytes are not
     * valid UTF-8. */
    static ProfileText fromBytes(const QByteArray &bytes);
    //! The lines in UTF-8, with the byte order mark when the file had one.
    QByteArray toBytes() const;

    /*! \brief The bytes of the file at path.
     *
     * A missing file reads as no bytes. Nothing at all (no value) when something is there but
     * cannot be read as a plain file: a directory, a pipe, a file without read permission.
     */
    static std::optional<QByteArray> readFile(const QString &path);

    /*! \brief Replaces the file at path with bytes.
     *
     * The new contents go to a temporary file in the same directory that then takes the old
     * file's place, so on any failure the old file stays whole. False when that failed.
     */
    static bool replaceFile(const QString &path, const QByteArray &bytes);
};
