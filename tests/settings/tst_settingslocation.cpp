#include "settingslocation.h"

#include <QtTest>

#include <memory>

#if defined(Q_OS_LINUX)
#include <unistd.h>
#endif

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

const QByteArray adminFile = "[Ports]\n1=/dev/ttyUSB7\n[Settings]\nCommPort=3\n";
const QByteArray userFile = "[Settings]\nCommPort=12\n";

#if defined(Q_OS_LINUX)
/*! Runs program with its configuration folder in configHome; its output, or "failed: " and its
 * errors. The superuser can write every folder, so it runs the program as nobody instead. */
QString runUnprivileged(const QString &program, const QStringList &arguments,
                        const QString &configHome, QString *errors = nullptr)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    const bool superuser = ::geteuid() == 0;
    if (superuser) {
        // Nobody may not read the leak checker's suppressions inside the checkout. This run
        // checks where the files go; the in-process cases check the code for leaks.
        environment.remove(QStringLiteral("LSAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           environment.value(QStringLiteral("ASAN_OPTIONS")) +
                               QStringLiteral(":detect_leaks=0"));
    }
    process.setProcessEnvironment(environment);
    if (superuser)
        process.start(QStringLiteral("setpriv"),
                      QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                  QStringLiteral("--clear-groups"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QStringLiteral("failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
    if (errors)
        *errors = QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}
#endif

} // namespace

class TestSettingsLocation : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_root;
    QString m_exeDir;
    QString m_userDir;

    QString besideFile() const { return m_exeDir + QStringLiteral("/pravix.ini"); }
    QString userFilePath() const { return m_userDir + QStringLiteral("/pravix.ini"); }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
        m_exeDir = m_root->filePath(QStringLiteral("bin"));
        m_userDir = m_root->filePath(QStringLiteral("config/PravixApp"));
        QVERIFY(QDir().mkpath(m_exeDir));
    }

    void cleanup() { m_root.reset(); }

    void writableFolderKeepsTheFileBesideTheExecutable()
    {
        writeFile(besideFile(), adminFile);
        QVERIFY(QDir().mkpath(m_userDir));
        writeFile(userFilePath(), userFile);

        const auto location = SettingsLocation::choose(QString(), m_exeDir, true, m_userDir);
        QCOMPARE(location.file(), besideFile());
        QCOMPARE(location.readPath(), besideFile());
        location.prepareWrite();
        QCOMPARE(readFile(besideFile()), adminFile);
        QCOMPARE(readFile(userFilePath()), userFile);
    }

    void executableDirWithTrailingSlash()
    {
        const auto location =
            SettingsLocation::choose(QString(), m_exeDir + QLatin1Char('/'), true, m_userDir);
        QCOMPARE(location.file(), besideFile());
    }

    // Which file an unwritable folder's program reads before and after its first write.
    void unwritableFolder_data()
    {
        QTest::addColumn<bool>("besideExists");
        QTest::addColumn<bool>("userExists");
        QTest::addColumn<QByteArray>("userAfterFirstWrite");

        QTest::newRow("no file yet") << false << false << QByteArray();
        QTest::newRow("administrator's file only") << true << false << adminFile;
        QTest::newRow("user's file only") << false << true << userFile;
        QTest::newRow("both") << true << true << userFile;
    }

    void unwritableFolder()
    {
        QFETCH(bool, besideExists);
        QFETCH(bool, userExists);
        QFETCH(QByteArray, userAfterFirstWrite);
        if (besideExists)
            writeFile(besideFile(), adminFile);
        if (userExists) {
            QVERIFY(QDir().mkpath(m_userDir));
            writeFile(userFilePath(), userFile);
        }

        const auto location = SettingsLocation::choose(QString(), m_exeDir, false, m_userDir);
        QCOMPARE(location.file(), userFilePath());
        QCOMPARE(location.readPath(), userExists ? userFilePath() : besideFile());

        location.prepareWrite();
        QCOMPARE(QFileInfo::exists(userFilePath()), besideExists || userExists);
        QCOMPARE(readFile(userFilePath()), userAfterFirstWrite);
        QCOMPARE(location.readPath(),
                 QFileInfo::exists(userFilePath()) ? userFilePath() : besideFile());
        // The administrator's file is only ever read.
        QCOMPARE(readFile(besideFile()), besideExists ? adminFile : QByteArray());
    }

    // A seed the user may not write must not make the user's own copy read-only.
    void userCopyIsWritable()
    {
        writeFile(besideFile(), adminFile);
        QVERIFY(QFile::setPermissions(besideFile(), QFileDevice::ReadOwner |
                                                        QFileDevice::ReadGroup |
                                                        QFileDevice::ReadOther));
        const auto location = SettingsLocation::choose(QString(), m_exeDir, false, m_userDir);
        location.prepareWrite();
        QCOMPARE(readFile(userFilePath()), adminFile);
        QVERIFY(QFile::permissions(userFilePath()) & QFileDevice::WriteOwner);
    }

    void namedFileWinsOverBoth_data()
    {
        QTest::addColumn<bool>("executableDirWritable");
        QTest::addColumn<bool>("namedExists");
        QTest::newRow("writable folder") << true << true;
        QTest::newRow("unwritable folder") << false << true;
        QTest::newRow("unwritable folder, named file not there yet") << false << false;
    }

    void namedFileWinsOverBoth()
    {
        QFETCH(bool, executableDirWritable);
        QFETCH(bool, namedExists);
        writeFile(besideFile(), adminFile);
        QVERIFY(QDir().mkpath(m_userDir));
        writeFile(userFilePath(), userFile);
        const QString named = m_root->filePath(QStringLiteral("bench.ini"));
        if (namedExists)
            writeFile(named, "[LCD]\nSlave=4\n");

        const auto location =
            SettingsLocation::choose(named, m_exeDir, executableDirWritable, m_userDir);
        QCOMPARE(location.file(), named);
        QCOMPARE(location.readPath(), named);
        location.prepareWrite();
        QCOMPARE(QFileInfo::exists(named), namedExists);
        QCOMPARE(readFile(userFilePath()), userFile);
        QCOMPARE(readFile(besideFile()), adminFile);
    }

    void writableDirectory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("writable");
        QTest::newRow("folder") << "bin" << true;
        QTest::newRow("missing folder") << "nowhere" << false;
        QTest::newRow("regular file") << "bin/pravix.ini" << false;
    }

    void writableDirectory()
    {
        QFETCH(QString, name);
        QFETCH(bool, writable);
        writeFile(besideFile(), adminFile);
        QCOMPARE(isWritableDirectory(m_root->filePath(name)), writable);
        // The attempt leaves nothing behind.
        QCOMPARE(QDir(m_exeDir).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("pravix.ini")});
    }

#if defined(Q_OS_LINUX)
    // The real program, copied into a folder it may not write, as an installed one would be:
    // reads and writes go through modINI to the user's own file, ~/.config/PravixApp on Linux.
    void programInFolder_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed, folder not writable") << true;
        QTest::newRow("portable copy, folder writable") << false;
    }

    void programInFolder()
    {
        QFETCH(bool, installed);
        const QString probe = m_exeDir + QStringLiteral("/pravix-settings-probe");
        QVERIFY(QFile::copy(QStringLiteral(PRAVIX_SETTINGS_PROBE), probe));
        writeFile(besideFile(), adminFile);
        const QString configHome = m_root->filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(configHome));
        // Another user (below) must reach the copy and write the configuration folder.
        const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(m_root->path(), open));
        QVERIFY(QFile::setPermissions(configHome,
                                      open | QFileDevice::WriteGroup | QFileDevice::WriteOther));
        QVERIFY(QFile::setPermissions(probe, open));
        auto besidePermissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                 QFileDevice::ReadGroup | QFileDevice::ReadOther;
        auto exeDirPermissions = open;
        if (installed) {
            exeDirPermissions &= ~QFileDevice::WriteOwner;
        } else {
            exeDirPermissions |= QFileDevice::WriteGroup | QFileDevice::WriteOther;
            besidePermissions |= QFileDevice::WriteGroup | QFileDevice::WriteOther;
        }
        QVERIFY(QFile::setPermissions(besideFile(), besidePermissions));
        QVERIFY(QFile::setPermissions(m_exeDir, exeDirPermissions));
        auto restore = qScopeGuard([&] { QFile::setPermissions(m_exeDir, open); });

        const auto run = [&](const QStringList &arguments) {
            return runUnprivileged(probe, arguments, configHome);
        };
        const QString perUserFile = configHome + QStringLiteral("/PravixApp/pravix.ini");
        const QString usedFile = installed ? perUserFile : besideFile();

        QCOMPARE(run({"path"}), usedFile);
        QCOMPARE(run({"read", "Settings", "CommPort"}), QStringLiteral("3"));
        QVERIFY(!QFileInfo::exists(perUserFile));

        QCOMPARE(run({"write", "Settings", "CommPort", "5"}), QString());
        QCOMPARE(run({"read", "Settings", "CommPort"}), QStringLiteral("5"));
        QCOMPARE(run({"read", "Ports", "1"}), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(QFileInfo::exists(perUserFile), installed);
        if (installed)
            QCOMPARE(readFile(besideFile()), adminFile);

        // A file named outright wins over both, for reads as well as writes.
        const QString named = configHome + QStringLiteral("/bench.ini");
        QCOMPARE(run({"--settings", named, "write", "LCD", "Slave", "9"}), QString());
        QCOMPARE(run({"--settings", named, "read", "Settings", "CommPort"}), QString());
        QCOMPARE(readFile(named), QByteArray("[LCD]\nSlave=9\n"));
        QVERIFY(!readFile(usedFile).contains("Slave"));
    }

    // Installed, and the user's configuration folder may not be written either: the settings
    // read as before, every write fails quietly, and one line on standard error per run says
    // why. A writable place for the file, or a file named outright, gives no such line.
    void nowhereWritableIsReportedOnce()
    {
        const QString probe = m_exeDir + QStringLiteral("/pravix-settings-probe");
        QVERIFY(QFile::copy(QStringLiteral(PRAVIX_SETTINGS_PROBE), probe));
        writeFile(besideFile(), adminFile);
        const QString configHome = m_root->filePath(QStringLiteral("config"));
        QVERIFY(QDir().mkpath(configHome));
        const auto readAndEnter = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                  QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                  QFileDevice::ReadOther | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(m_root->path(), readAndEnter | QFileDevice::WriteOwner));
        QVERIFY(QFile::setPermissions(probe, readAndEnter));
        QVERIFY(QFile::setPermissions(configHome, readAndEnter));
        QVERIFY(QFile::setPermissions(m_exeDir, readAndEnter));
        auto restore = qScopeGuard([&] {
            QFile::setPermissions(m_exeDir, readAndEnter | QFileDevice::WriteOwner);
            QFile::setPermissions(configHome, readAndEnter | QFileDevice::WriteOwner);
        });
        if (::geteuid() != 0 && ::access(QFile::encodeName(m_exeDir).constData(), W_OK) == 0)
            QSKIP("this user may write into a read-only folder");

        QString errors;
        const QStringList twoWritesAndReads{
            "read",  "Settings", "CommPort", "write", "Settings", "CommPort", "5",
            "write", "LCD",      "Slave",    "9",     "read",     "Settings", "CommPort"};
        QCOMPARE(runUnprivileged(probe, twoWritesAndReads, configHome, &errors),
                 QStringLiteral("3\n3"));
        const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(QStringLiteral("settings cannot be saved")) &&
                     lines.first().contains(m_exeDir) &&
                     lines.first().contains(configHome + QStringLiteral("/PravixApp/pravix.ini")),
                 qPrintable(lines.first()));
        QCOMPARE(readFile(besideFile()), adminFile);
        QVERIFY(!QFileInfo::exists(configHome + QStringLiteral("/PravixApp")));

        const QString named = m_root->filePath(QStringLiteral("bench.ini"));
        QCOMPARE(runUnprivileged(probe, {"--settings", named, "read", "LCD", "Slave"}, configHome,
                                 &errors),
                 QString());
        QCOMPARE(errors, QString());
        QVERIFY(QFile::setPermissions(configHome, readAndEnter | QFileDevice::WriteOwner |
                                                      QFileDevice::WriteGroup |
                                                      QFileDevice::WriteOther));
        QCOMPARE(runUnprivileged(
                     probe, {"write", "Settings", "CommPort", "5", "read", "Settings", "CommPort"},
                     configHome, &errors),
                 QStringLiteral("5"));
        QCOMPARE(errors, QString());
    }
#endif
};

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
