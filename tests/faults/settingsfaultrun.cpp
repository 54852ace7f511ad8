// pravix-settings-fault-run FILE SLAVE: the main window's whole life with FILE as its settings
// file: start-up, Connect, one Send of function 06 to a Modbus slave with address SLAVE on a
// pseudo-terminal of its own, Disconnect, a new port number and baud rate, and the close that
// saves them. Prints what the window loaded, sent and showed, whether it closed, and every
// message box. Tests run it as a user who may not write where the settings file lies.

#include "mainwindowharness.h"
#include "modbusslave.h"
#include "pinnedserialdevice.h"
#include "ptypair.h"

#include "modini.h"
#include "modvariables.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>

namespace {

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool isNumber = false;
    const int slaveId = arguments.value(2).toInt(&isNumber);
    if (arguments.size() != 3 || !isNumber) {
        std::fprintf(stderr, "usage: %s SETTINGS-FILE SLAVE-ADDRESS\n", argv[0]);
        return 2;
    }
    modINI::setIniFilePath(arguments.at(1));

    MessageCatcher messages;
    PtyPair line;
    if (!line.isValid()) {
        std::fprintf(stderr, "no pseudo-terminal available\n");
        return 2;
    }
    ModbusSlave slave(line.masterFd(), slaveId);
    if (!slave.isValid()) {
        std::fprintf(stderr, "the Modbus slave could not be set up\n");
        return 2;
    }

    {
        using namespace modVariables;
        frmMain window(std::make_unique<PinnedSerialDevice>(line.devicePath()));
        window.show();
        print(QStringLiteral("loaded: port %1, settings %2, slave %3")
                  .arg(CommPortNo, CommSettings, SlaveAddr));

        auto *connectButton = control<QPushButton>(window, "cmdConnect");
        userClicks(connectButton);
        print(QStringLiteral("caption: ") + connectButton->text());
        awaitAnswerDuringNextWait(window, 8);
        userSends(window, "cmdSend06");
        print(QStringLiteral("sent: ") + control<QLabel>(window, "lblTxData")->text());
        print(QStringLiteral("shown: ") + control<QLabel>(window, "lblRxData")->text());

        userClicks(connectButton);
        print(QStringLiteral("caption: ") + connectButton->text());
        userChooses(control<QComboBox>(window, "cboComm"), 6);
        userClicks(control<QRadioButton>(window, "opt19200"));
        print(QStringLiteral("closed: ") + QLatin1String(window.close() ? "yes" : "no"));
        print(QStringLiteral("saving: port %1, settings %2").arg(CommPortNo, CommSettings));
    }

    print(QStringLiteral("message boxes: %1").arg(messages.texts.size()));
    for (const QString &text : messages.texts)
        print(text);
    return 0;
}
