// Reads and writes the settings through modINI from wherever it is copied to, so that tests
// can run it from an installed-like folder as a user who cannot write there.
//
//   pravix-settings-probe [--settings FILE] read SECTION KEY     prints the value
//   pravix-settings-probe [--settings FILE] write SECTION KEY VALUE
//   pravix-settings-probe [--settings FILE] path                 prints the file writes go to
// Several commands may follow one another.

#include "modini.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() >= 2 && arguments.first() == QStringLiteral("--settings")) {
        modINI::setIniFilePath(arguments.at(1));
        arguments = arguments.mid(2);
    }
    // Several commands run one after the other in the same run.
    while (!arguments.isEmpty()) {
        const QString command = arguments.first();
        if (command == QStringLiteral("read") && arguments.size() >= 3) {
            std::printf("%s\n", qPrintable(modINI::ReadIni(arguments.at(1), arguments.at(2))));
            arguments = arguments.mid(3);
        } else if (command == QStringLiteral("write") && arguments.size() >= 4) {
            modINI::WriteIni(arguments.at(1), arguments.at(2), arguments.at(3));
            arguments = arguments.mid(4);
        } else if (command == QStringLiteral("path")) {
            std::printf("%s\n", qPrintable(modINI::iniFilePath()));
            arguments = arguments.mid(1);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--settings FILE] COMMAND...; COMMAND: read SECTION KEY | "
                         "write SECTION KEY VALUE | path\n",
                         argv[0]);
            return 2;
        }
    }
    return 0;
}
