#include "filesizelimit.h"
#include "privateprofile.h"

#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using privateprofile::readValue;
using privateprofile::writeValue;

class TestPrivateProfile : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString iniPath() const { return m_dir->filePath(QStringLiteral("pravix.ini")); }

    void writeRaw(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray readRaw() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QStringList dirEntries() const
    {
        return QDir(m_dir->path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        // Give back permissions a case took away so the directory can be removed.
        QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner);
        m_dir.reset();
    }

    void missingGivesEmpty_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("fileExists");
        QTest::newRow("no file") << QByteArray() << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("no section") << QByteArray("[Other]\nCommPort=3\n") << true;
        QTest::newRow("no key") << QByteArray("[Settings]\nSetting=9600,n,8,1\n") << true;
    }

    void missingGivesEmpty()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, fileExists);
        if (fileExists)
            writeRaw(contents);
        QCOMPARE(readValue(iniPath(), "Settings", "CommPort"), QString());
        QCOMPARE(QFile::exists(iniPath()), fileExists);
        QCOMPARE(readRaw(), contents);
    }

    void writeCreatesFileWithSectionAndKey()
    {
        QVERIFY(writeValue(iniPath(), "Settings", "CommPort", "3"));
        QCOMPARE(readRaw(), QByteArray("[Settings]\nCommPort=3\n"));
        QVERIFY(writeValue(iniPath(), "LCD", "Slave", "12"));
        QCOMPARE(readRaw(), QByteArray("[Settings]\nCommPort=3\n[LCD]\nSlave=12\n"));
    }

    void valueRoundTrips_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("serial settings") << QStringLiteral("19200,e,8,1");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks at both ends") << QStringLiteral("  Hello World   ");
        QTest::newRow("leading blank") << QStringLiteral(" x");
        QTest::newRow("trailing blank") << QStringLiteral("x ");
        QTest::newRow("only blanks") << QStringLiteral("                ");
        QTest::newRow("tab at the end") << QStringLiteral("x\t");
        QTest::newRow("quote inside") << QStringLiteral("say \"hi\" now");
        QTest::newRow("enclosed in quotes") << QStringLiteral("\"quoted\"");
        QTest::newRow("one quote") << QStringLiteral("\"");
        QTest::newRow("two quotes") << QStringLiteral("\"\"");
        QTest::newRow("ends with quote") << QStringLiteral("12\"");
        QTest::newRow("starts with quote") << QStringLiteral("\" 1");
        QTest::newRow("equals sign") << QStringLiteral("a = b");
        QTest::newRow("comment mark") << QStringLiteral("; not a comment");
        QTest::newRow("hash mark") << QStringLiteral("# nor this");
        QTest::newRow("brackets") << QStringLiteral("[Settings]");
        QTest::newRow("non-latin") << QStringLiteral("caf\u00E9 \u20AC \u4E2D \U0001F600");
    }

    void valueRoundTrips()
    {
        QFETCH(QString, value);
        writeRaw("; kept\n[Settings]\nCommPort=1\n");
        QVERIFY(writeValue(iniPath(), "Settings", "Message", value));
        QCOMPARE(readValue(iniPath(), "Settings", "Message"), value);
        QVERIFY(writeValue(iniPath(), "Settings", "Message", value + "2"));
        QCOMPARE(readValue(iniPath(), "Settings", "Message"), value + "2");
        QCOMPARE(readValue(iniPath(), "Settings", "CommPort"), QStringLiteral("1"));
        QCOMPARE(readRaw().count('\n'), 4);
    }

    void lineBreaksBecomeBlanks_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("lf") << QStringLiteral("a\nb") << QStringLiteral("a b");
        QTest::newRow("crlf is one break") << QStringLiteral("a\r\nb") << QStringLiteral("a b");
        QTest::newRow("cr") << QStringLiteral("a\rb") << QStringLiteral("a b");
        QTest::newRow("two breaks") << QStringLiteral("a\n\nb") << QStringLiteral("a  b");
        QTest::newRow("break at the end") << QStringLiteral("ab\n") << QStringLiteral("ab ");
        QTest::newRow("injected section") << QStringLiteral("x\n[Settings]\nCommPort=99")
                                          << QStringLiteral("x [Settings] CommPort=99");
    }

    void lineBreaksBecomeBlanks()
    {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        writeRaw("[Settings]\nCommPort=1\n[LCD]\nrow2=two\n");
        QVERIFY(writeValue(iniPath(), "LCD", "row1", value));
        QCOMPARE(readValue(iniPath(), "LCD", "row1"), stored);
        QCOMPARE(readValue(iniPath(), "LCD", "row2"), QStringLiteral("two"));
        QCOMPARE(readValue(iniPath(), "Settings", "CommPort"), QStringLiteral("1"));
        QCOMPARE(readRaw().count('\n'), 5);
    }

    void readRules_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QByteArray("[LCD]\nSlave=5\n") << "LCD"
                               << "Slave"
                               << "5";
        QTest::newRow("names in other case") << QByteArray("[settings]\nCOMMPORT=4\n") << "Settings"
                                             << "CommPort"
                                             << "4";
        QTest::newRow("non-ascii names in other case") << QByteArray("[\xC3\x89"
                                                                     "cran]\n\xC3\x89tat=1\n")
                                                       << "\u00E9cran"
                                                       << "\u00E9tat"
                                                       << "1";
        QTest::newRow("blanks around everything")
            << QByteArray("  [  LCD  ]  \n \t row1 \t =  hello world \t \n") << "LCD"
            << "row1"
            << "hello world";
        QTest::newRow("blanks around the names asked for")
            << QByteArray("[LCD]\nrow1=x\n") << " LCD "
            << "\trow1 "
            << "x";
        QTest::newRow("quoted") << QByteArray("[LCD]\nrow1=\"  x  \"\n") << "LCD"
                                << "row1"
                                << "  x  ";
        QTest::newRow("quoted with blanks outside")
            << QByteArray("[LCD]\nrow1 =  \" x\"  \n") << "LCD"
            << "row1"
            << " x";
        QTest::newRow("only one pair of quotes goes")
            << QByteArray("[LCD]\nrow1=\"\"x\"\"\n") << "LCD"
            << "row1"
            << "\"x\"";
        QTest::newRow("lone quote") << QByteArray("[LCD]\nrow1=\"\n") << "LCD"
                                    << "row1"
                                    << "\"";
        QTest::newRow("empty quotes") << QByteArray("[LCD]\nrow1=\"\"\n") << "LCD"
                                      << "row1"
                                      << "";
        QTest::newRow("quote at one end only") << QByteArray("[LCD]\nrow1=\"abc\n") << "LCD"
                                               << "row1"
                                               << "\"abc";
        QTest::newRow("equals in the value") << QByteArray("[LCD]\nrow1=a=b\n") << "LCD"
                                             << "row1"
                                             << "a=b";
        QTest::newRow("empty value") << QByteArray("[LCD]\nrow1=\nrow2=x\n") << "LCD"
                                     << "row1"
                                     << "";
        QTest::newRow("comments") << QByteArray("[LCD]\n;Slave=1\n  # Slave=2\nSlave=3\n") << "LCD"
                                  << "Slave"
                                  << "3";
        QTest::newRow("commented-out section") << QByteArray(";[LCD]\nSlave=1\n") << "LCD"
                                               << "Slave"
                                               << "";
        QTest::newRow("crlf") << QByteArray("[LCD]\r\nSlave=7\r\nrow1=x\r\n") << "LCD"
                              << "Slave"
                              << "7";
        QTest::newRow("mixed line endings") << QByteArray("[A]\r\nk=1\n[LCD]\nSlave=8\r\n") << "LCD"
                                            << "Slave"
                                            << "8";
        QTest::newRow("no final line break") << QByteArray("[LCD]\nSlave=9") << "LCD"
                                             << "Slave"
                                             << "9";
        QTest::newRow("duplicated key, first wins")
            << QByteArray("[LCD]\nSlave=1\nslave=2\n") << "LCD"
            << "Slave"
            << "1";
        QTest::newRow("section appears twice")
            << QByteArray("[LCD]\nrow1=a\n[Other]\nSlave=x\n[lcd]\nSlave=2\n") << "LCD"
            << "Slave"
            << "2";
        QTest::newRow("key of another section") << QByteArray("[Other]\nSlave=1\n[LCD]\n") << "LCD"
                                                << "Slave"
                                                << "";
        QTest::newRow("key before any section") << QByteArray("Slave=1\n[LCD]\n") << "LCD"
                                                << "Slave"
                                                << "";
        QTest::newRow("lines without equals")
            << QByteArray("[LCD]\njust some words\n\nSlave=4\n") << "LCD"
            << "Slave"
            << "4";
        QTest::newRow("text after the section name")
            << QByteArray("[LCD] ; display\nSlave=4\n") << "LCD"
            << "Slave"
            << "4";
        QTest::newRow("unclosed section name") << QByteArray("[LCD\nSlave=4\n") << "LCD"
                                               << "Slave"
                                               << "";
        QTest::newRow("utf-8") << QByteArray("[LCD]\nrow1=caf\xC3\xA9 \xE2\x82\xAC\n") << "LCD"
                               << "row1"
                               << "caf\u00E9 \u20AC";
        QTest::newRow("utf-8 byte order mark")
            << QByteArray("\xEF\xBB\xBF[LCD]\nSlave=6\n") << "LCD"
            << "Slave"
            << "6";
        QTest::newRow("windows-1252") << QByteArray("[LCD]\nrow1=caf\xE9 \x80\n") << "LCD"
                                      << "row1"
                                      << "caf\u00E9 \u20AC";
        QTest::newRow("utf-8 cut off at the end") << QByteArray("[LCD]\nrow1=\xC3") << "LCD"
                                                  << "row1"
                                                  << "\u00C3";
        QTest::newRow("invalid name asked for") << QByteArray("[LCD]\n=x\n") << "LCD"
                                                << ""
                                                << "";
    }

    void readRules()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        writeRaw(contents);
        QCOMPARE(readValue(iniPath(), section, key), value);
    }

    void writeKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray file("; pravix settings\n"
                              "[Settings]\n"
                              "CommPort=3\n"
                              "# baud and format\n"
                              "Setting=9600,n,8,1\n"
                              "Unknown=keep me\n"
                              "a line without equals\n"
                              "\n"
                              "; about LCD\n"
                              "[LCD]\n"
                              "Slave=1\n"
                              "[Extra]\n"
                              "x=y\n");
        QByteArray replaced = file;
        replaced.replace("Setting=9600,n,8,1", "Setting=19200,e,8,1");
        QTest::newRow("replace one line") << file << "settings"
                                          << "SETTING"
                                          << "19200,e,8,1" << replaced;
        QByteArray added = file;
        added.replace("Unknown=keep me\n", "Unknown=keep me\nNew=1\n");
        QTest::newRow("new key after the section's last entry") << file << "Settings"
                                                                << "New"
                                                                << "1" << added;
        QTest::newRow("new section at the end") << file << "Fresh"
                                                << "k"
                                                << "v" << file + "[Fresh]\nk=v\n";
        QTest::newRow("quoted value")
            << file << "LCD"
            << "Slave"
            << " 2 " << QByteArray(file).replace("Slave=1", "Slave=\" 2 \"");

        QTest::newRow("crlf kept") << QByteArray("[LCD]\r\nSlave=1\r\n; c\r\n") << "LCD"
                                   << "Slave"
                                   << "2" << QByteArray("[LCD]\r\nSlave=2\r\n; c\r\n");
        QTest::newRow("new lines get crlf")
            << QByteArray("[LCD]\r\nSlave=1") << "Settings"
            << "CommPort"
            << "4" << QByteArray("[LCD]\r\nSlave=1\r\n[Settings]\r\nCommPort=4\r\n");
        QTest::newRow("each line keeps its own ending")
            << QByteArray("[A]\r\nk=1\n[LCD]\nSlave=1\r\n") << "A"
            << "k"
            << "2" << QByteArray("[A]\r\nk=2\n[LCD]\nSlave=1\r\n");
        QTest::newRow("no final line break stays so") << QByteArray("[LCD]\nSlave=1") << "LCD"
                                                      << "Slave"
                                                      << "2" << QByteArray("[LCD]\nSlave=2");
        QTest::newRow("adding after a last line without break")
            << QByteArray("[LCD]") << "LCD"
            << "Slave"
            << "2" << QByteArray("[LCD]\nSlave=2\n");
        QTest::newRow("key spelling and blanks kept")
            << QByteArray("[lcd]\n  SLAVE =  1  \n") << "LCD"
            << "Slave"
            << "2" << QByteArray("[lcd]\n  SLAVE =  2\n");
        QTest::newRow("duplicated key: the first is replaced")
            << QByteArray("[LCD]\nSlave=1\nSlave=5\n") << "LCD"
            << "Slave"
            << "2" << QByteArray("[LCD]\nSlave=2\nSlave=5\n");
        QTest::newRow("new key goes to the first of two sections")
            << QByteArray("[LCD]\nrow1=a\n[X]\n[LCD]\nrow2=b\n") << "LCD"
            << "Slave"
            << "2" << QByteArray("[LCD]\nrow1=a\nSlave=2\n[X]\n[LCD]\nrow2=b\n");
        QTest::newRow("key of the second of two sections replaced there")
            << QByteArray("[LCD]\nrow1=a\n[X]\n[LCD]\nSlave=1\n") << "LCD"
            << "Slave"
            << "2" << QByteArray("[LCD]\nrow1=a\n[X]\n[LCD]\nSlave=2\n");
        QTest::newRow("keys before the first section kept")
            << QByteArray("Slave=1\n") << "LCD"
            << "Slave"
            << "2" << QByteArray("Slave=1\n[LCD]\nSlave=2\n");
        QTest::newRow("byte order mark kept") << QByteArray("\xEF\xBB\xBF[LCD]\nSlave=1\n") << "LCD"
                                              << "Slave"
                                              << "2" << QByteArray("\xEF\xBB\xBF[LCD]\nSlave=2\n");
        QTest::newRow("windows-1252 file becomes utf-8")
            << QByteArray("[LCD]\nrow1=caf\xE9\nSlave=1\n") << "LCD"
            << "Slave"
            << "2" << QByteArray("[LCD]\nrow1=caf\xC3\xA9\nSlave=2\n");
        QTest::newRow("same value leaves the file as it was")
            << QByteArray("[LCD]\nSlave = 1 \n") << "LCD"
            << "Slave"
            << "1" << QByteArray("[LCD]\nSlave = 1 \n");
    }

    void writeKeepsTheRest()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        writeRaw(before);
        QVERIFY(writeValue(iniPath(), section, key, value));
        QCOMPARE(readRaw(), after);
        QCOMPARE(readValue(iniPath(), section, key), value);
    }

    void noTemporaryFileLeftBehind()
    {
        for (int i = 1; i <= 6; ++i)
            QVERIFY(writeValue(iniPath(), "LCD", QStringLiteral("row%1").arg(i), "message"));
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("pravix.ini")});
    }

    void unstorableNamesChangeNothing_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("empty section") << ""
                                       << "k";
        QTest::newRow("blank section") << "  "
                                       << "k";
        QTest::newRow("empty key") << "LCD"
                                   << "";
        QTest::newRow("bracket in section") << "a]b"
                                            << "k";
        QTest::newRow("line break in section") << "LCD]\n[X"
                                               << "k";
        QTest::newRow("equals in key") << "LCD"
                                       << "a=b";
        QTest::newRow("line break in key") << "LCD"
                                           << "a\nb";
        QTest::newRow("key like a section") << "LCD"
                                            << "[X]";
        QTest::newRow("key like a comment") << "LCD"
                                            << ";k";
        QTest::newRow("key like a hash comment") << "LCD"
                                                 << "#k";
    }

    void unstorableNamesChangeNothing()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QVERIFY(!writeValue(iniPath(), section, key, "v"));
        QVERIFY(!QFile::exists(iniPath()));
        writeRaw("[LCD]\nSlave=1\n");
        QVERIFY(!writeValue(iniPath(), section, key, "v"));
        QCOMPARE(readRaw(), QByteArray("[LCD]\nSlave=1\n"));
    }

    void directoryInPlaceOfTheFile()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("pravix.ini")));
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QString());
        QVERIFY(!writeValue(iniPath(), "LCD", "Slave", "2"));
        QVERIFY(QFileInfo(iniPath()).isDir());
        QVERIFY(QDir(iniPath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("pravix.ini")});
    }

    void missingDirectory()
    {
        const QString path = m_dir->filePath(QStringLiteral("gone/pravix.ini"));
        QCOMPARE(readValue(path, "LCD", "Slave"), QString());
        QVERIFY(!writeValue(path, "LCD", "Slave", "2"));
        QVERIFY(dirEntries().isEmpty());
    }

    void pipeInPlaceOfTheFile()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(iniPath()).constData(), 0600), 0);
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QString());
        QVERIFY(!writeValue(iniPath(), "LCD", "Slave", "2"));
        struct stat status
        {
        };
        QCOMPARE(::stat(QFile::encodeName(iniPath()).constData(), &status), 0);
        QVERIFY(S_ISFIFO(status.st_mode));
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("pravix.ini")});
    }

    void readOnlyDirectory()
    {
        writeRaw("[LCD]\nSlave=1\n");
        QVERIFY(
            QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (::access(QFile::encodeName(m_dir->path()).constData(), W_OK) == 0)
            QSKIP("this user may write into a read-only directory");
        QVERIFY(!writeValue(iniPath(), "LCD", "Slave", "2"));
        QVERIFY(!writeValue(iniPath(), "LCD", "row1", "new"));
        QCOMPARE(readRaw(), QByteArray("[LCD]\nSlave=1\n"));
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("pravix.ini")});
    }

    // A write cut short, here by a file-size limit as a full disk would cut it, fails and leaves
    // the old file as it was, byte for byte, with no temporary file beside it.
    void writeCutShortKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("limit");
        QTest::newRow("nothing can be written") << 0;
        QTest::newRow("less than the old file") << 8;
        QTest::newRow("half of the new file") << 2048;
        QTest::newRow("all but the last byte") << 4095;
    }

    void writeCutShortKeepsTheOldFile()
    {
        QFETCH(int, limit);
        const QByteArray old = "; bench 2\r\n[LCD]\r\nSlave=1\r\nrow1=Hello\r\n";
        writeRaw(old);
        // Together with the old lines, exactly 4096 bytes.
        const QString value(4096 - old.size() - int(sizeof("row2=\r\n")) + 1, QLatin1Char('x'));

        if (!FileSizeLimit::supported)
            QSKIP("this system cannot limit a file's size to act as a full disk");
        bool written = true;
        {
            const FileSizeLimit full{qint64(limit)};
            QVERIFY(full.isSet());
            written = writeValue(iniPath(), "LCD", "row2", value);
        }

        QVERIFY(!written);
        QCOMPARE(readRaw(), old);
        QCOMPARE(dirEntries(), QStringList{QStringLiteral("pravix.ini")});
        // Without the limit the same write goes through, to the size the limit was set against.
        QVERIFY(writeValue(iniPath(), "LCD", "row2", value));
        QCOMPARE(readRaw().size(), 4096);
    }

    // In a folder like /tmp (everyone may write, the sticky bit set) a file another user owns
    // may be written but not replaced: the new file is written in full and then cannot take the
    // old one's place. The old file stays, byte for byte, and the new one goes.
    void replacementRefusedKeepsTheOldFile()
    {
        if (::geteuid() != 0)
            QSKIP("only the superuser can give the file an owner other than the writer");
        constexpr uid_t nobody = 65534;
        const QString shared = m_dir->filePath(QStringLiteral("shared"));
        QVERIFY(QDir().mkdir(shared));
        QCOMPARE(::chmod(QFile::encodeName(m_dir->path()).constData(), 0755), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        const QString path = shared + QStringLiteral("/pravix.ini");
        const QByteArray old = "[Settings]\nCommPort=2\n; the administrator's\n";
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(old), old.size());
        }
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0666), 0);

        // The writer is another user, in a process of its own; its exit status is its result.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(2);
            ::_exit(writeValue(path, "Settings", "CommPort", "7") ? 1 : 0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
        QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("pravix.ini")});
    }

    void unreadableFile()
    {
        writeRaw("[LCD]\nSlave=1\n");
        QVERIFY(QFile::setPermissions(iniPath(), QFileDevice::WriteOwner));
        if (::access(QFile::encodeName(iniPath()).constData(), R_OK) == 0)
            QSKIP("this user may read a file without read permission");
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QString());
        QVERIFY(!writeValue(iniPath(), "LCD", "row1", "new"));
        QVERIFY(QFile::setPermissions(iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readRaw(), QByteArray("[LCD]\nSlave=1\n"));
    }

    void randomBytes()
    {
        QRandomGenerator random(1252);
        QByteArray noise(64 * 1024, '\0');
        for (char &byte : noise)
            byte = static_cast<char>(random.bounded(256));
        writeRaw(noise);
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QString());
        QVERIFY(writeValue(iniPath(), "LCD", "Slave", "17"));
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QStringLiteral("17"));
        QVERIFY(readRaw().endsWith("[LCD]\nSlave=17\n"));
        QVERIFY(writeValue(iniPath(), "LCD", "Slave", "18"));
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QStringLiteral("18"));
    }

    void oneMegabyteLine()
    {
        const QByteArray huge(1024 * 1024, 'x');
        writeRaw("[LCD]\n" + huge + "\nrow1=" + huge + "\nSlave=3\n");
        QCOMPARE(readValue(iniPath(), "LCD", "Slave"), QStringLiteral("3"));
        QCOMPARE(readValue(iniPath(), "LCD", "row1"), QString::fromLatin1(huge));
        QVERIFY(writeValue(iniPath(), "LCD", "Slave", "4"));
        QCOMPARE(readRaw(), "[LCD]\n" + huge + "\nrow1=" + huge + "\nSlave=4\n");
    }
};

QTEST_GUILESS_MAIN(TestPrivateProfile)
#include "tst_privateprofile.moc"
