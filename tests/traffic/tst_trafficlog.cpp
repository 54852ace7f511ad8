#include "filesizelimit.h"
#include "trafficcsv.h"
#include "trafficcsvreader.h"
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

const QStringList headerFields = {"time",         "window",   "device",  "settings",
                                  "sent",         "received", "outcome", "first_byte_ms",
                                  "last_byte_ms", "wait_ms"};

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
    record.waitMs = 60;
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
             "01 05 00 00 00 00 CD CA", "01 05 00 00 00 00 CD CA", "answer", "12.4", "20.0",
             "60.0"},
            {"2026-12-07T18:04:22.307", "main", "/dev/ttyUSB0", "9600,n,8,1",
             "01 05 00 00 00 00 CD CA", "", "no response", "", "", "60.0"},
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

        // And the reader gives back the records, to the tenth of a millisecond the file holds.
        const std::optional<QList<TrafficRecord>> read = trafficcsv::readFile(path, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->size(), 2);
        QCOMPARE(read->at(0).firstByteMs, std::optional<double>(12.4));
        QCOMPARE(read->at(0).waitMs, 60.0);
        QCOMPARE(trafficcsv::line(read->at(0)), trafficcsv::line(answered()));
        QCOMPARE(trafficcsv::line(read->at(1)), trafficcsv::line(silence()));
    }

    // A log begun under another header is not appended to: the mix could not be read back.
    void logUnderAnotherHeaderRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.csv"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(trafficcsv::columns().mid(0, trafficcsv::columnsWithoutWait).join(',').toUtf8() +
                  "\r\n");
        old.close();
        TrafficLog log;
        QVERIFY(!log.open(path));
        QVERIFY2(log.errorText().startsWith(path + QStringLiteral(": it does not start with")),
                 qPrintable(log.errorText()));
        QCOMPARE(QFileInfo(path).size(), qint64(trafficcsv::header().size() - 6));
    }

    void malformedFileRefusedWhole_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("error");
        const QByteArray header = trafficcsv::header().toUtf8() + "\r\n";
        const QByteArray good = "2026-12-07T18:04:22.307,pravixctl,/dev/pts/3,\"9600,n,8,1\","
                                "01 06 00 01 00 03 98 0B,01 06 00 01 00 03 98 0B,answer,4.8,"
                                "5.9,60.0\r\n";
        QTest::newRow("empty") << QByteArray() << "f.csv line 1, field time: ";
        QTest::newRow("header misspelt")
            << QByteArray(header).replace("sent", "snet") + good << "f.csv line 1, field sent: ";
        QTest::newRow("header with one more column")
            << trafficcsv::header().toUtf8() + ",x\r\n" + good << "f.csv line 1, field 11: ";
        QTest::newRow("bad time") << header + good + QByteArray(good).replace("T18", " 18")
                                  << "f.csv line 3, field time: ";
        QTest::newRow("bad bytes")
            << header + good + QByteArray(good).replace("00 03 98", "0003 98")
            << "f.csv line 3, field sent: ";
        QTest::newRow("odd digit")
            << header + QByteArray(good).replace("98 0B,answer", "98 B,answer") + good
            << "f.csv line 2, field received: ";
        // The message stays one line when the field it shows holds a line break.
        QTest::newRow("bad outcome over two lines")
            << header + QByteArray(good).replace("answer", "\"ans\r\nwer\"")
            << "f.csv line 2, field outcome: ";
        QTest::newRow("bad outcome")
            << header + QByteArray(good).replace("answer", "ok") << "f.csv line 2, field outcome: ";
        QTest::newRow("bad time value") << header + QByteArray(good).replace("4.8", "4.8ms")
                                        << "f.csv line 2, field first_byte_ms: ";
        QTest::newRow("negative wait")
            << header + QByteArray(good).replace("60.0", "-1") << "f.csv line 2, field wait_ms: ";
        QTest::newRow("last before first") << header + QByteArray(good).replace("5.9", "3.0")
                                           << "f.csv line 2, field last_byte_ms: ";
        QTest::newRow("first without last")
            << header + QByteArray(good).replace("5.9", "") << "f.csv line 2, field last_byte_ms: ";
        QTest::newRow("truncated line")
            << header + good + good.left(60) << "f.csv line 3, field received: ";
        QTest::newRow("one field too many")
            << header + QByteArray(good).replace("\r\n", ",1\r\n") << "f.csv line 2, field 11: ";
        QTest::newRow("quote not closed")
            << header + good + QByteArray(good).replace("8,1\",", "8,1,")
            << "f.csv line 3, field settings: ";
        QTest::newRow("stray quote") << header + QByteArray(good).replace("pts/3", "pts\"3")
                                     << "f.csv line 2, field device: ";
        // A quoted line break counts: the line after it is the file's fourth.
        QTest::newRow("line after a quoted break")
            << header + QByteArray(good).replace("/dev/pts/3", "\"a\r\nb\"") + good.left(30)
            << "f.csv line 4, field device: ";
    }

    // One line naming the file, the line and the field, and no records at all.
    void malformedFileRefusedWhole()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, error);
        QString message;
        QVERIFY(!trafficcsv::parse(contents, QStringLiteral("f.csv"), &message));
        QVERIFY2(message.startsWith(error), qPrintable(message));
        QVERIFY(!message.contains(QLatin1Char('\n')));
    }

    // What was saved before the wait had a column, and what a spreadsheet saved again with a
    // byte order mark and LF line ends, reads as the program wrote it.
    void olderAndResavedFilesRead()
    {
        const QByteArray old =
            trafficcsv::columns().mid(0, trafficcsv::columnsWithoutWait).join(',').toUtf8() +
            "\r\n2026-12-07T18:04:23.115,main,/dev/ttyUSB0,\"9600,n,8,1\",01 06 "
            "00 00 00 00 89 CA,,no response,,\r\n";
        QString error;
        std::optional<QList<TrafficRecord>> read = trafficcsv::parse(old, "old.csv", &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->size(), 1);
        QCOMPARE(read->first().outcome, TrafficOutcome::NoResponse);
        QCOMPARE(read->first().waitMs, 0.0);
        QCOMPARE(read->first().sent, QByteArray::fromHex("01060000000089CA"));

        const QByteArray resaved = "\xEF\xBB\xBF" + trafficcsv::header().toUtf8() + "\n" +
                                   trafficcsv::line(answered()).toUtf8();
        read = trafficcsv::parse(resaved, "resaved.csv", &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->size(), 1);
        QCOMPARE(read->first().device, answered().device);
        QCOMPARE(read->first().time, answered().time);
    }

    // Killed at any moment, the writer leaves whole records, each as it was written, and at most
    // the start of the one it was writing: the kernel may end a write cut by SIGKILL where it
    // crosses a page of the file cache, which no program can prevent.
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
        const QByteArray contents = file.readAll();
        file.close();
        const qsizetype wholeLines = contents.lastIndexOf("\r\n") + 2;
        const QByteArray started = contents.mid(wholeLines);
        QVERIFY2(started.size() < 800, "more than one record after the last line break");
        QVERIFY(!started.contains('\n'));
        QVERIFY(file.resize(wholeLines));
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
        if (!FileSizeLimit::supported)
            QSKIP("this system cannot limit a file's size to act as a full disk");
        TrafficRecorder recorder;
        recorder.setLog(std::move(log));
        QSignalSpy failed(&recorder, &TrafficRecorder::logFailed);
        {
            const FileSizeLimit full{qint64(whole.size() + 20)};
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
