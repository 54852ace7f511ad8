// Appends numbered records to a traffic log until it is killed (or ten seconds have passed):
// the test kills it with SIGKILL in the middle of its run.
#include "trafficlog.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    TrafficLog log;
    if (!log.open(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s\n", qPrintable(log.errorText()));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; clock.elapsed() < 10000; ++i) {
        TrafficRecord record;
        record.time = QDateTime::currentDateTime();
        record.window = TrafficRecord::mainWindow;
        record.device = QStringLiteral("line %1, \"ü\"").arg(i);
        record.settings = QStringLiteral("9600,n,8,1");
        record.sent = QByteArray(200, char(i));
        record.received = QByteArray::fromHex("010600000003C9CB");
        record.outcome = TrafficOutcome::Answer;
        record.firstByteMs = 1.25;
        record.lastByteMs = 9.0;
        if (!log.append(record))
            return 1;
    }
    return 0;
}
