#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

/*! \brief Single values of a private-profile (INI) file, read and written by the file's name.
 *
 * A line "[name]" opens a section; "key=value" lines hold the values; lines starting with ";"
 * or "#" are comments. Section and key names match without regard to case; blanks around names,
 * around "=" and around values do not count. A value in one pair of double quotes reads without
 * them. Where a section or key appears twice, the first one counts. Lines that are none of these
 * are kept and passed over.
 */
namespace privateprofile {

//! The value stored under section and key; empty text when file, section or key is missing or
//! the file cannot be read.
QString readValue(const QString &filePath, const QString &section, const QString &key);

/*! \brief Stores value under section and key, adding the file, the section and the key as needed.
 *
 * Every other line stays as it was. Line breaks in the value are stored as blanks; a value that
 * begins or ends with a blank or a double quote is stored in double quotes so it reads back as
 * it was. False when the file is left unchanged because it could not be read or replaced, or
 * because a name could not be stored (empty, a line break, "]" in a section name, "=" in a key
 * name or a key name starting with "[", ";" or "#").
 */
bool writeValue(const QString &filePath, const QString &section, const QString &key,
                const QString &value);

//! One line of a file that is neither blank nor a comment, as the reader takes it.
struct Line
{
    enum class Kind {
        Section,   //!< "[name]"
        Entry,     //!< "key=value"
        Unreadable //!< anything else; the reader passes over it
    };

    Kind kind = Kind::Unreadable;
    //! Counting from 1, as an editor shows it.
    int number = 0;
    //! Section or key name without surrounding blanks; the line's text for an unreadable line.
    QString name;
    //! Entries only: the value as readValue() gives it.
    QString value;
};

/*! \brief Every section, entry and unreadable line of a file's contents, in file order.
 *
 * For a caller that must account for each line, such as one that refuses names it does not
 * know; the contents are decoded as a file is read (UTF-8, else Windows-1252).
 */
QList<Line> lines(const QByteArray &contents);

/*! \brief The value stored under section and key in a file's contents; what readValue() does
 * after reading the file. */
QString valueIn(const QByteArray &contents, const QString &section, const QString &key);

/*! \brief A file's contents with value stored under section and key, as writeValue() stores it.
 *
 * The contents come back as they were when the value is stored already; nothing at all when a
 * name could not be stored.
 */
std::optional<QByteArray> withValue(const QByteArray &contents, const QString &section,
                                    const QString &key, const QString &value);

} // namespace privateprofile
