#pragma once

#include "exchange.h"
#include "mscomm.h"
#include "portmap.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QString>
#include <QStringList>
#include <QTimer>

/*! \brief An exchange without a window: a port open on a pseudo-terminal mapped as port 1, a
 * 20 ms timer, and the two monitor fields as plain texts. The test plays the far end. */
struct ExchangeRig
{
    explicit ExchangeRig(const QString &settings = QStringLiteral("9600,n,8,1"));
    bool isValid() const { return pty.isValid() && port.portOpen(); }
    //! Starts the exchange and returns its outcome once it has finished.
    Exchange::Outcome run(int requestLength, int waitTicks);

    TempSettings settingsFile;
    PtyPair pty;
    MSComm port{portmap::devicePath};
    QTimer timer;
    QString txText;
    QString rxText;
    //! Every text the answer field was given, in order.
    QStringList rxHistory;
    Exchange exchange;
};
