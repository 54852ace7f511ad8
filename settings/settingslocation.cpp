#include "settingslocation.h"

#include "dirpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

const QString fileName = QStringLiteral("pravix.ini");

} // namespace

SettingsLocation SettingsLocation::choose(const QString &namedFile, const QString &executableDir,
                                          bool executableDirWritable, const QString &userDir)
{
    SettingsLocation location;
    if (!namedFile.isEmpty()) {
        location.m_file = namedFile;
    } else if (executableDirWritable) {
        location.m_file = withTrailingSlash(executableDir) + fileName;
    } else {
        location.m_file = withTrailingSlash(userDir) + fileName;
        location.m_seed = withTrailingSlash(executableDir) + fileName;
    }
    return location;
}

QString SettingsLocation::readPath() const
{
    if (m_seed.isEmpty() || QFileInfo::exists(m_file))
        return m_file;
    return m_seed;
}

// The seed's contents are copied, not the file: its owner and read-only bits would otherwise
// come along and keep the user from ever writing their own file.
void SettingsLocation::prepareWrite() const
{
    if (m_seed.isEmpty() || QFileInfo::exists(m_file))
        return;
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QFile seed(m_seed);
    if (!seed.open(QIODevice::ReadOnly))
        return;
    QSaveFile copy(m_file);
    if (!copy.open(QIODevice::WriteOnly))
        return;
    // Flushed before the commit, which would otherwise put a cut-off copy in place.
    const QByteArray contents = seed.readAll();
    if (copy.write(contents) != contents.size() || !copy.flush()) {
        copy.cancelWriting();
        return;
    }
    copy.commit();
}

bool isWritableDirectory(const QString &dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(withTrailingSlash(dir) + QStringLiteral("pravix-XXXXXX.tmp"));
    return probe.open();
}

bool canBeWritten(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !(info.isFile() && info.isWritable()))
        return false;
    // The nearest folder that is there decides whether the missing ones can be made.
    QString dir = info.absolutePath();
    while (!QFileInfo::exists(dir)) {
        const QString parent = QFileInfo(dir).absolutePath();
        if (parent == dir)
            return false;
        dir = parent;
    }
    return isWritableDirectory(dir);
}

QString userSettingsDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/PravixApp");
}
