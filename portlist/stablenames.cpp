#include "stablenames.h"

#include <QDir>
#include <QFileInfo>

namespace stablenames {

QString systemFolder()
{
#if defined(Q_OS_LINUX)
    return QStringLiteral("/dev/serial/by-id");
#else
    return QString();
#endif
}

QHash<QString, QString> byTarget(const QString &folder)
{
    QHash<QString, QString> names;
    if (folder.isEmpty())
        return names;
    // System: the links lead to device files, which a plain listing leaves out.
    const QFileInfoList links = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        // A link whose device has gone resolves to nothing and names nothing.
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !names.contains(target))
            names.insert(target, link.absoluteFilePath());
    }
    return names;
}

} // namespace stablenames
