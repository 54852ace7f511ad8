#include "configwindowline.h"

#include "modvariables.h"

ConfigWindowLine::ConfigWindowLine()
{
    modVariables::resetAll();
    modVariables::CommPortNo = QStringLiteral("1");
    if (isValid())
        writeSettings();
}

void ConfigWindowLine::writeSettings(const QByteArray &more)
{
    settings.writeRaw("[Ports]\n1=" + pty.devicePath().toLocal8Bit() + "\n" + more);
}
