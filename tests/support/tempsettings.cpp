#include "tempsettings.h"

#include "modini.h"

#include <QFile>

TempSettings::TempSettings()
{
    modINI::setIniFilePath(path());
}

TempSettings::~TempSettings()
{
    modINI::setIniFilePath(QString());
}

QString TempSettings::path() const
{
    return m_dir.filePath(QStringLiteral("pravix.ini"));
}

void TempSettings::writeRaw(const QByteArray &contents) const
{
    QFile file(path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

QByteArray TempSettings::readRaw() const
{
    QFile file(path());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
