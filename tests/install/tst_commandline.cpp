#include "commandline.h"
#include "modini.h"

#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

//! Runs the real program; one that opened a window instead of ending would fail the wait.
Run runProgram(const QStringList &arguments, bool withDisplay)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // The display is the platform the tests run on (offscreen; Qt for Windows has none, so
    // minimal there).
    if (withDisplay)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                           qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("offscreen")));
    // Without one of its own the window system warns on standard error.
    QTemporaryDir runtimeDir;
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(PRAVIXAPP_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
#if defined(Q_OS_WIN)
    // Windows' C runtime ends every line it writes with CR LF.
    run.out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    run.err.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
#endif
    return run;
}

//! A path as the program names it: absolute (on Windows with the drive), in the system's form.
QString nativeAbsolute(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

//! The system's reason why \a path cannot be opened to append to, without a final full stop.
QString appendFailure(const QString &path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("(%1 could be opened)").arg(path);
    QString reason = file.errorString();
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { modINI::setIniFilePath(QString()); }

    void settingsFile_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("error");
        const QString absent;
        QTest::newRow("no option") << QStringList{} << absent << absent;
        QTest::newRow("relative file")
            << QStringList{"--settings", "bench.ini"} << "WORK/bench.ini" << absent;
        QTest::newRow("relative file with =")
            << QStringList{"--settings=sub/../bench.ini"} << "WORK/bench.ini" << absent;
        QTest::newRow("absolute file")
            << QStringList{"--settings", "WORK/sub/line2.ini"} << "WORK/sub/line2.ini" << absent;
        QTest::newRow("empty name")
            << QStringList{"--settings="} << absent << "--settings needs a file name.";
        QTest::newRow("missing folder") << QStringList{"--settings", "missing/bench.ini"} << absent
                                        << "There is no folder WORK/missing.";
        QTest::newRow("a folder") << QStringList{"--settings", "sub"} << absent
                                  << "WORK/sub is a folder, not a file.";
        QTest::newRow("stray argument")
            << QStringList{"bench.ini"} << absent << "Unexpected argument 'bench.ini'.";
    }

    void settingsFile()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(QString, error);
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkdir(QStringLiteral("sub")));
        const QString workPath = QFileInfo(work.path()).canonicalFilePath();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workPath));
        auto back = qScopeGuard([&] { QDir::setCurrent(previous); });
        for (QString &argument : arguments)
            argument.replace(QStringLiteral("WORK"), workPath);
        const QString defaultFile = modINI::iniFilePath();

        QCommandLineParser parser;
        commandline::addOptions(parser);
        QVERIFY(parser.parse(QStringList{"pravixapp"} + arguments));
        QString message;
        QCOMPARE(commandline::apply(parser, &message), error.isEmpty());
        // Messages name files in the system's own form; none of them has a slash of its own.
        QCOMPARE(message,
                 QDir::toNativeSeparators(QString(error).replace(QStringLiteral("WORK"), workPath)));
        const QString expected =
            file.isEmpty() ? defaultFile : QString(file).replace(QStringLiteral("WORK"), workPath);
        QCOMPARE(modINI::iniFilePath(), expected);
        // The file stays the same when the working folder changes later.
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(modINI::iniFilePath(), expected);
    }

    void program_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("withDisplay");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");

        const QString version =
            QStringLiteral("PravixApp 2.3 (build " PRAVIX_PROJECT_VERSION ")\n");
        QTest::newRow("--version without a display")
            << QStringList{"--version"} << false << 0 << version << QString();
        QTest::newRow("-v") << QStringList{"-v"} << true << 0 << version << QString();
        QTest::newRow("--help without a display")
            << QStringList{"--help"} << false << 0 << "--settings <file>" << QString();
        QTest::newRow("unknown option") << QStringList{"--bogus"} << true << 1 << QString()
                                        << "PravixApp: Unknown option 'bogus'.\n";
        QTest::newRow("unknown option without a display")
            << QStringList{"--bogus"} << false << 1 << QString()
            << "PravixApp: Unknown option 'bogus'.\n";
        QTest::newRow("unknown option beside --version")
            << QStringList{"--bogus", "--version"} << true << 1 << QString()
            << "PravixApp: Unknown option 'bogus'.\n";
        QTest::newRow("settings without a file")
            << QStringList{"--settings"} << true << 1 << QString()
            << "PravixApp: Missing value after '--settings'.\n";
        QTest::newRow("settings in a missing folder")
            << QStringList{"--settings", "/nonexistent-pravix/bench.ini"} << true << 1 << QString()
            << "PravixApp: There is no folder " +
                   nativeAbsolute(QStringLiteral("/nonexistent-pravix")) + ".\n";
        QTest::newRow("stray argument") << QStringList{"COM1"} << true << 1 << QString()
                                        << "PravixApp: Unexpected argument 'COM1'.\n";
        const QString missingLog = QStringLiteral("/nonexistent-pravix/traffic.csv");
        QTest::newRow("log in a missing folder")
            << QStringList{"--log", missingLog} << true << 1 << QString()
            << "PravixApp: Cannot open the log " + nativeAbsolute(missingLog) + ": " +
                   appendFailure(missingLog) + ".\n";
        QTest::newRow("log that is a folder")
            << QStringList{"--log", "/"} << true << 1 << QString()
            << "PravixApp: Cannot open the log " + nativeAbsolute(QStringLiteral("/")) + ": " +
                   appendFailure(QStringLiteral("/")) + ".\n";
    }

    // Out: the whole output, or for help a text it must hold.
    void program()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, withDisplay);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run run = runProgram(arguments, withDisplay);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.err, err);
        if (arguments.contains(QStringLiteral("--help"))) {
            QVERIFY2(run.out.startsWith(QStringLiteral("Usage: ")), qPrintable(run.out));
            QVERIFY2(run.out.contains(out), qPrintable(run.out));
            QVERIFY(run.out.contains(QStringLiteral("--version")));
        } else {
            QCOMPARE(run.out, out);
        }
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
