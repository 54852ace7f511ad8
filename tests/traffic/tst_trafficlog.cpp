#include "filesizelimit.h"
#include "trafficcsv.h"
#include "trafficexport.h"
#include "trafficlog.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

namespace {

using Rows = QList<QStringList>;

//! The file's rows as Python's csv module reads them; a reading error fails the test.
Rows readCsv(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral(PYTHON_EXECUTABLE), {QStringLiteral(READCSV_SCRIPT), path});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        qWarning("csv reader: %s", python.readAllStandardError().constData());
        return {{QStringLiteral("unreadable")}};
    }
    Rows rows;
    for (const QJsonValue &row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList fields;
        for (const QJsonValue &field : row.toArray())
            fields << field.toString();
        rows << fields;
    }
    return rows;
}

const QStringList headerFields = {"time",     "window",  "device",        "settings",    "sent",
                                  "received", "outcome", "first_byte_ms", "last_byte_ms"};

TrafficRecord answered()
{
    TrafficRecord record;
    record.time = QDateTime(QDate(2026, 12, 7), QTime(18, 4, 22, 307));
    record.window = TrafficRecord::mainWindow;
    // A device name no real port has, with everything CSV must quote and a non-ASCII letter.
    record.device = QStringLiteral("/dev/line \"A\", ü");
    record.settings = QStringLiteral("9600,n,8,1");
    record.sent = QByteArray::fromHex("010500000000CDCA");
    record.received = QByteArray::fromHex("010500000000CDCA");
    record.outcome = TrafficOutcome::Answer;
    record.firstByteMs = 12.44;
    record.lastByteMs = 19.96;
    return record;
}

TrafficRecord silence()
{
    TrafficRecord record = answered();
    record.device = QStringLiteral("/dev/ttyUSB0");
    record.received.clear();
    record.outcome = TrafficOutcome::NoResponse;
    record.firstByteMs.reset();
    record.lastByteMs.reset();
    return record;
}

} // namespace

// The log file and the saved history, read back by an independent CSV reader.
class TestTrafficLog : public QObject
{
    Q_OBJECT

private slots:
    void recordsReadBackWithTheirColumns()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.csv"));
        // An empty file gets the header as a new one does.
        QFile empty(path);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        TrafficLog log;
        QVERIFY(log.open(path));
        QVERIFY(log.append(answered()));
        // Opened again: appended to, without a second header.
        QVERIFY(log.open(path));
        QVERIFY(log.append(silence()));

        const Rows expected = {
            headerFields,
            {"2026-12-07T18:04:22.307", "main", "/dev/line \"A\", ü", "9600,n,8,1",
             "01 05 00 00 00 00 CD CA", "01 05 00 00 00 00 CD CA", "answer", "12.4", "20.0"},
            {"2026-12-07T18:04:22.307", "main", "/dev/ttyUSB0", "9600,n,8,1",
             "01 05 00 00 00 00 CD CA", "", "no response", "", ""},
        };
        QCOMPARE(readCsv(path), expected);

        // "Save as CSV" writes the very same bytes for the same records.
        TrafficModel model;
        model.append(answered());
        model.append(silence());
        const QString saved = dir.filePath(QStringLiteral("saved.csv"));
        QString error;
        QVERIFY(trafficexport::save(model, saved, &error));
        QFile logged(path);
        QFile exported(saved);
        QVERIFY(logged.open(QIODevice::ReadOnly) && exported.open(QIODevice::ReadOnly));
        QCOMPARE(exported.readAll(), logged.readAll());
    }

    // Killed at any moment, the writer leaves whole records only, each as it was written.
    void killedWriterLeavesCompleteLines()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("killed.csv"));
        QProcess writer;
        writer.start(QStringLiteral(WRITER_EXECUTABLE), {path});
        QVERIFY(writer.waitForStarted());
        QFile file(path);
        QTRY_VERIFY_WITH_TIMEOUT(file.size() > 2 * 1024 * 1024, 8000);
        writer.kill();
        QVERIFY(writer.waitForFinished());
        QCOMPARE(writer.exitStatus(), QProcess::CrashExit);

        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().endsWith("\r\n"));
        const Rows rows = readCsv(path);
        QVERIFY(rows.size() > 100);
        QCOMPARE(rows.first(), headerFields);
        for (int i = 1; i < rows.size(); ++i) {
            const QStringList &row = rows.at(i);
            QCOMPARE(row.size(), headerFields.size());
            QCOMPARE(row.at(2), QStringLiteral("line %1, \"ü\"").arg(i - 1));
            QCOMPARE(row.at(4).size(), 200 * 3 - 1);
            QCOMPARE(row.at(8), QStringLiteral("9.0"));
        }
    }

    // A disk that fills up in the middle of a record ends the log, which still holds whole
    // records only; the recorder keeps the history and says why the log stopped.
    void fullDiskEndsTheLogAtAWholeRecord()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("full.csv"));
        auto log = std::make_unique<TrafficLog>();
        QVERIFY(log->open(path));
        QVERIFY(log->append(answered()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        TrafficRecorder recorder;
        recorder.setLog(std::move(log));
        QSignalSpy failed(&recorder, &TrafficRecorder::logFailed);
        {
            const FileSizeLimit full{rlim_t(whole.size() + 20)};
            QVERIFY(full.isSet());
            recorder.record(silence());
            recorder.record(answered());
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toString(),
                 path + QStringLiteral(": ") + qt_error_string(EFBIG));
        QCOMPARE(recorder.log(), nullptr);
        QCOMPARE(recorder.model()->rowCount(), 2);
        QVERIFY(file.seek(0));
        QCOMPARE(file.readAll(), whole);
    }
};

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_trafficlog.moc"
