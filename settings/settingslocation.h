#pragma once

#include <QString>

/*! \brief Which pravix.ini the settings are kept in.
 *
 * Normally the file beside the executable. An installed program's folder cannot be written, so
 * there each user keeps a file of their own that starts out as a copy of the one beside the
 * executable: an administrator's [Ports] map reaches every user that way. A file named on the
 * command line wins over both.
 */
class SettingsLocation
{
public:
    /*! \a namedFile wins when it is not empty; otherwise "pravix.ini" in \a executableDir when
     * that folder can be written, in \a userDir when it cannot. */
    static SettingsLocation choose(const QString &namedFile, const QString &executableDir,
                                   bool executableDirWritable, const QString &userDir);

    //! The file every write goes to.
    QString file() const { return m_file; }
    //! The file reads come from: file() once it exists, until then the one it will start from.
    QString readPath() const;
    //! Before a write: a per-user file that does not exist yet is created from its seed.
    void prepareWrite() const;

private:
    QString m_file;
    //! The file m_file starts from; empty when m_file is used as it is.
    QString m_seed;
};

//! True when a file can be created in \a dir; tried rather than guessed from permission bits.
bool isWritableDirectory(const QString &dir);

/*! True when the file at \a path could be written now: a plain file that may be written, or no
 * file yet in a folder that may be written or made. Tried rather than guessed, and nothing is
 * made on the way. */
bool canBeWritten(const QString &path);

//! The user's own folder for the settings: the per-user configuration location and "PravixApp".
QString userSettingsDir();
