#pragma once

#include "portsurvey.h"

#include <QTemporaryDir>

#include <memory>

/*! \brief A device enumeration of the test's own, over device files in a temporary folder with
 * a stable-name folder of real links beside them, so that links resolve as they do under /dev.
 *
 * The enumeration follows every add() and remove() at once, as the system's does when an
 * adapter is plugged in or pulled.
 */
class FakeDevices
{
public:
    FakeDevices();

    /*! A device "<folder>/<name>" with nothing else known; an absolute name is taken as it is.
     * On Windows a name "COMn" is that port as the system lists it, at "\\.\COMn". */
    SerialDeviceInfo info(const QString &name) const;
    //! An FTDI USB adapter "<folder>/<name>": FT232R USB UART, FTDI, A1234567, 0403:6001.
    SerialDeviceInfo ftdiAdapter(const QString &name) const;
    /*! Lists the device, made as a file in the folder unless it exists or lies elsewhere (a
     * pseudo-terminal, a COM port stay themselves); with
     * \a stableLink, a link of that name in the stable-name folder leads to it. */
    void add(const SerialDeviceInfo &device, const QString &stableLink = QString());
    //! No longer listed and its file gone, as when the adapter is pulled; a link to it stays,
    //! leading nowhere.
    void remove(const QString &systemLocation);

    //! The path in the temporary folder of a name, whether or not it exists.
    QString path(const QString &name) const;
    //! The link in the stable-name folder of that name.
    QString stablePath(const QString &link) const;

    DeviceLookup lookup() const;

private:
    class Enumeration;
    QTemporaryDir m_dir;
    std::shared_ptr<Enumeration> m_enumeration;
};
