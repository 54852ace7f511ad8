#include "settingsoption.h"

#include <QDir>
#include <QFileInfo>

namespace settingsoption {

QString resolve(const QString &named, QString *error)
{
    if (named.isEmpty()) {
        *error = QStringLiteral("--settings needs a file name.");
        return QString();
    }
    const QFileInfo file(named);
    if (file.isDir()) {
        *error = QStringLiteral("%1 is a folder, not a file.")
                     .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
        return QString();
    }
    if (!file.absoluteDir().exists()) {
        *error = QStringLiteral("There is no folder %1.")
                     .arg(QDir::toNativeSeparators(file.absolutePath()));
        return QString();
    }
    return QDir::cleanPath(file.absoluteFilePath());
}

} // namespace settingsoption
