#pragma once

#include <QString>
#include <QTemporaryDir>

/*! \brief A settings file of the test's own: modINI reads and writes it while this lives. */
class TempSettings
{
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings &) = delete;
    TempSettings &operator=(const TempSettings &) = delete;

    QString path() const;
    //! Replaces the whole file with these bytes.
    void writeRaw(const QByteArray &contents) const;
    QByteArray readRaw() const;

private:
    QTemporaryDir m_dir;
};
