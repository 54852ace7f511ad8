#include "modini.h"

#include "dirpath.h"
#include "privateprofile.h"
#include "settingslocation.h"

#include <QCoreApplication>

#include <cstdio>

namespace modINI {

namespace {

// Values were read into a 255-byte buffer with its terminating zero; longer ones come back cut.
constexpr qsizetype MaxValueCharacters = 254;

QString &overridePath()
{
    static QString path;
    return path;
}

//! The first count characters of text; a surrogate pair counts as one character and stays whole.
QString firstCharacters(const QString &text, qsizetype count)
{
    qsizetype end = 0;
    for (qsizetype characters = 0; characters < count && end < text.size(); ++characters) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                          text.at(end + 1).isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

/* Writes fail quietly, as they always have; a user whose settings are never kept should still
 * be able to find out why, so a run that can keep them nowhere says so once. */
void reportIfNowhereWritable(const SettingsLocation &chosen)
{
    static const bool reported = [&chosen] {
        if (canBeWritten(chosen.file()))
            return false;
        std::fprintf(stderr, "%s: settings cannot be saved: neither %s nor %s can be written\n",
                     qPrintable(QCoreApplication::applicationName()), qPrintable(AppDir()),
                     qPrintable(chosen.file()));
        return true;
    }();
    Q_UNUSED(reported);
}

SettingsLocation location()
{
    // Whether the executable's folder can be written does not change while the program runs.
    static const bool executableDirWritable = isWritableDirectory(AppDir());
    const SettingsLocation chosen = SettingsLocation::choose(
        overridePath(), AppDir(), executableDirWritable, userSettingsDir());
    if (!executableDirWritable && overridePath().isEmpty())
        reportIfNowhereWritable(chosen);
    return chosen;
}

} // namespace

QString AppDir()
{
    return withTrailingSlash(QCoreApplication::applicationDirPath());
}

QString ReadIni(const QString &section, const QString &key)
{
    return firstCharacters(privateprofile::readValue(location().readPath(), section, key),
                           MaxValueCharacters);
}

bool WriteIni(const QString &section, const QString &key, const QString &value)
{
    const SettingsLocation where = location();
    where.prepareWrite();
    return privateprofile::writeValue(where.file(), section, key, value);
}

QString iniFilePath()
{
    return location().file();
}

void setIniFilePath(const QString &path)
{
    overridePath() = path;
}

} // namespace modINI
