#pragma once

#include "messagecatcher.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QByteArray>

/*! \brief What a configuration window under test opens on: the program-wide variables at their
 * start values with port number 1, a settings file of its own mapping port 1 to a new
 * pseudo-terminal, and message boxes caught. Check isValid() before use.
 */
struct ConfigWindowLine
{
    ConfigWindowLine();

    bool isValid() const { return pty.isValid(); }

    //! The port map, followed by whatever the test adds.
    void writeSettings(const QByteArray &more = QByteArray());

    MessageCatcher messages;
    PtyPair pty;
    TempSettings settings;
};
