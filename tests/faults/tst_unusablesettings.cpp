#include "crc16.h"

#include <QtTest>

#include <memory>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

constexpr auto everybody = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                           QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                           QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                           QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
constexpr auto readAndEnter = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                              QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                              QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr int nobody = 65534;

//! The monitor text of the request the window sends first: function 06, register 0, value 0.
QString firstRequest(int slave)
{
    QByteArray frame = QByteArray::fromHex("0006000000");
    frame[0] = static_cast<char>(slave);
    frame.append('\0');
    const quint16 crc =
        modbuscrc::crc16(reinterpret_cast<const quint8 *>(frame.constData()), int(frame.size()));
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return QString::fromLatin1(frame.toHex(' ').toUpper()) + QLatin1Char(' ');
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                               QDir::NoDotAndDotDot);
}

/*! Removes the superuser's port lock files of pseudo-terminals whose process has ended. A
 * program killed while it held a pseudo-terminal open leaves its lock file behind; the toolkit
 * clears such a stale lock when it opens the port, unless another user owns the file. A later
 * pseudo-terminal of the same number, opened by nobody, would then be refused as locked. */
void clearStalePtyLocks()
{
    for (const QString &folder : {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")}) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("LCK..pts_*")}, QDir::Files)) {
            QFile lock(dir.filePath(name));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            bool isNumber = false;
            const qint64 pid = lock.readLine().trimmed().toLongLong(&isNumber);
            lock.close();
            if (isNumber && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
                lock.remove();
        }
    }
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The whole program with a settings file it cannot use: a directory where the file should be,
// or a file in a folder it may not write. It starts from what it can read, works with the
// display, and closes; the writes that fail go unnoticed, as a failed write always does, and
// leave the file and its folder as they were.
class TestUnusableSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wholeRun_data();
    void wholeRun();

private:
    /*! Runs the program's window with this settings file. The superuser may write into any
     * folder, so it runs it as nobody instead. */
    bool runWindow(const QString &settingsFile, int slave, QStringList *output);

    std::unique_ptr<QTemporaryDir> m_root;
    QString m_folder;
};

void TestUnusableSettings::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid());
    // Another user must reach the program and the folder.
    QVERIFY(QFile::setPermissions(m_root->path(), readAndEnter | QFileDevice::WriteOwner));
    m_folder = m_root->filePath(QStringLiteral("settings"));
    QVERIFY(QDir().mkdir(m_folder));
}

void TestUnusableSettings::cleanup()
{
    QFile::setPermissions(m_folder, everybody);
    m_root.reset();
}

bool TestUnusableSettings::runWindow(const QString &settingsFile, int slave, QStringList *output)
{
    const QString program = m_root->filePath(QStringLiteral("pravix-settings-fault-run"));
    const QString home = m_root->filePath(QStringLiteral("home"));
    const QString runtime = m_root->filePath(QStringLiteral("runtime"));
    const bool superuser = ::geteuid() == 0;
    if (!QFile::copy(QStringLiteral(SETTINGS_FAULT_RUN), program) ||
        !QFile::setPermissions(program, readAndEnter | QFileDevice::WriteOwner) ||
        !QDir().mkdir(home) || !QFile::setPermissions(home, everybody) || !QDir().mkdir(runtime) ||
        !QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner) ||
        (superuser && ::chown(QFile::encodeName(runtime).constData(), nobody, nobody) != 0))
        return false;

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Whatever the toolkit keeps for a user goes to the test's folder, not the real home.
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
        environment.insert(QLatin1String(name), home);
    // The toolkit wants a runtime folder of the user's own; it would make one in /tmp.
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QStringList arguments{settingsFile, QString::number(slave)};
    QString command = program;
    if (superuser) {
        clearStalePtyLocks();
        // Nobody may not read the leak checker's suppressions inside the checkout; the leaks of
        // this code are checked by the tests that run it in their own process.
        environment.remove(QStringLiteral("LSAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
        arguments = QStringList{QStringLiteral("--reuid=%1").arg(nobody),
                                QStringLiteral("--regid=%1").arg(nobody),
                                QStringLiteral("--clear-groups"), program} +
                    arguments;
        command = QStringLiteral("setpriv");
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(command, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        qWarning("the window's run did not end within a minute");
        return false;
    }
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("the window's run ended with status %d: %s", process.exitCode(),
                 qPrintable(errors));
        return false;
    }
    *output = QString::fromLocal8Bit(process.readAllStandardOutput())
                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return true;
}

void TestUnusableSettings::wholeRun_data()
{
    QTest::addColumn<bool>("fileIsDirectory");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<int>("slave");
    QTest::addColumn<QString>("saving");

    // Nothing can be read: every value starts as it does without a file.
    QTest::newRow("settings file is a directory")
        << true << QByteArray() << "port 1, settings 9600,n,8,1, slave 1" << 1
        << "port 7, settings 19200,n,8,1";
    QTest::newRow("settings folder is read-only")
        << false
        << QByteArray("; the bench's display\r\n[Settings]\r\nCommPort=3\r\n"
                      "Setting=38400,e,8,1\r\n[LCD]\r\nSlave=5\r\nrow1=Hello\r\n")
        << "port 3, settings 38400,e,8,1, slave 5" << 5 << "port 7, settings 19200,e,8,1";
}

void TestUnusableSettings::wholeRun()
{
    QFETCH(bool, fileIsDirectory);
    QFETCH(QByteArray, contents);
    QFETCH(QString, loaded);
    QFETCH(int, slave);
    QFETCH(QString, saving);

    const QString file = m_folder + QStringLiteral("/pravix.ini");
    if (fileIsDirectory) {
        // The folder itself may be written: only the directory in the way stops the write.
        QVERIFY(QDir().mkdir(file));
        QVERIFY(QFile::setPermissions(m_folder, everybody));
    } else {
        QFile settings(file);
        QVERIFY(settings.open(QIODevice::WriteOnly));
        QCOMPARE(settings.write(contents), contents.size());
        settings.close();
        // The file itself may be written: only the folder stops the replacing write.
        QVERIFY(QFile::setPermissions(file, everybody));
        QVERIFY(QFile::setPermissions(m_folder, readAndEnter));
        if (::geteuid() != 0 && ::access(QFile::encodeName(m_folder).constData(), W_OK) == 0)
            QSKIP("this user may write into a read-only folder");
    }

    QStringList output;
    QVERIFY(runWindow(file, slave, &output));

    const QString request = firstRequest(slave);
    const QStringList expected{
        QStringLiteral("loaded: ") + loaded,
        QStringLiteral("caption: Disconnect"),
        QStringLiteral("sent: ") + request,
        // The display's answer to a write of one register repeats the request.
        QStringLiteral("shown: ") + request,
        QStringLiteral("caption: Connect"),
        QStringLiteral("closed: yes"),
        QStringLiteral("saving: ") + saving,
        QStringLiteral("message boxes: 0"),
    };
    QCOMPARE(output, expected);

    QCOMPARE(entries(m_folder), QStringList{QStringLiteral("pravix.ini")});
    if (fileIsDirectory) {
        QVERIFY(QFileInfo(file).isDir());
        QCOMPARE(entries(file), QStringList());
    } else {
        QCOMPARE(readFile(file), contents);
    }
}

QTEST_GUILESS_MAIN(TestUnusableSettings)
#include "tst_unusablesettings.moc"
