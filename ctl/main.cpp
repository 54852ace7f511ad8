#include "ctlarguments.h"
#include "ctlrun.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Port failures are reported under this name; the settings file stays the program's own.
    QCoreApplication::setApplicationName(QStringLiteral("pravixctl"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        err << "pravixctl: cannot read standard input\n";
        return 1;
    }
    ctl::Console console{in, out, err};

    QString error;
    const std::optional<ctl::Arguments> arguments =
        ctl::parseArguments(QCoreApplication::arguments().mid(1), &error);
    if (!arguments) {
        err << "pravixctl: " << error << '\n';
        return 1;
    }
    if (arguments->version) {
        out << "pravixctl " PRAVIX_RELEASE " (build " PRAVIX_VERSION ")\n";
        return 0;
    }
    return ctl::run(*arguments, console);
}
