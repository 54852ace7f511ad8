#include "doctor.h"

#include "trafficcsvreader.h"

#include <QTextStream>

namespace ctl {

int doctor(const Arguments &arguments, Console &console)
{
    QString error;
    const std::optional<RunRecords> records = trafficcsv::readFile(arguments.trafficFile, &error);
    if (!records) {
        console.err << "pravixctl: doctor: " << error << '\n';
        return 1;
    }
    // Whether the run took the echo off each answer is not in the file: --echo says it did.
    for (const QString &line : runreport::closingLines(*records, arguments.json, arguments.echo))
        console.out << line << '\n';
    return 0;
}

} // namespace ctl
