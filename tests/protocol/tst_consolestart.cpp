#include "consolestart.h"

#include <QCommandLineParser>
#include <QtTest>

using consolestart::Windows;

Q_DECLARE_METATYPE(consolestart::Windows)

namespace {

//! Sets or clears an environment variable for its lifetime, then puts the old value back.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentOverride(const EnvironmentOverride &) = delete;
    EnvironmentOverride &operator=(const EnvironmentOverride &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

// A program's options as both of the project's window programs declare theirs: help, the
// version, an option with a value and one of their own that asks for no window.
void addOptions(QCommandLineParser &parser)
{
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        QCommandLineOption(QStringLiteral("settings"), QString(), QStringLiteral("file")));
    parser.addOption(QCommandLineOption(QStringLiteral("no-window"), QString()));
}

} // namespace

// Which application object a program starts with: its arguments and the window system named.
class TestConsoleStart : public QObject
{
    Q_OBJECT

private slots:
    void consoleOnly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Windows>("windows");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("platform");
        QTest::addColumn<bool>("console");

        const QByteArray unset;
        const QByteArray x(":0");
        const QStringList none;
        QTest::newRow("window program, X display")
            << none << Windows::Needed << x << unset << unset << false;
        // The toolkit then says itself that there is no display; a console start would crash.
        QTest::newRow("window program, no display")
            << none << Windows::Needed << unset << unset << unset << false;
        QTest::newRow("--help") << QStringList{"--help"} << Windows::Needed << x << unset << unset
                                << true;
        QTest::newRow("--help-all")
            << QStringList{"--help-all"} << Windows::Needed << x << unset << unset << true;
        QTest::newRow("--version")
            << QStringList{"--version"} << Windows::Needed << x << unset << unset << true;
        QTest::newRow("-v") << QStringList{"-v"} << Windows::Optional << x << unset << unset
                            << true;
        QTest::newRow("version as the settings file")
            << QStringList{"--settings", "--version"} << Windows::Needed << x << unset << unset
            << false;
        QTest::newRow("unknown option, X display")
            << QStringList{"--bogus"} << Windows::Needed << x << unset << unset << false;
        // The refusal must be printed; the toolkit would abort before it without a display.
        QTest::newRow("unknown option, no display")
            << QStringList{"--bogus"} << Windows::Needed << unset << unset << unset << true;
        // The toolkit's own options are for the window system, even beside --version.
        QTest::newRow("toolkit option") << QStringList{"-platform", "offscreen", "--version"}
                                        << Windows::Needed << x << unset << unset << false;
        QTest::newRow("optional windows, X display")
            << none << Windows::Optional << x << unset << unset << false;
        QTest::newRow("optional windows, Wayland display")
            << none << Windows::Optional << unset << QByteArray("wayland-0") << unset << false;
        QTest::newRow("optional windows, platform chosen")
            << none << Windows::Optional << unset << unset << QByteArray("offscreen") << false;
        QTest::newRow("optional windows, no display at all")
            << none << Windows::Optional << unset << unset << unset << true;
        QTest::newRow("no window asked for")
            << QStringList{"--no-window"} << Windows::Optional << x << unset << unset << true;
        QTest::newRow("no window, not the program's own option")
            << QStringList{"--no-window"} << Windows::Needed << x << unset << unset << false;
    }

    void consoleOnly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Windows, windows);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, platform);
        QFETCH(bool, console);
#if !defined(Q_OS_UNIX) || defined(Q_OS_DARWIN)
        if (display.isNull() && wayland.isNull() && platform.isNull())
            QSKIP("Only X11 and Wayland systems can lack a window system by their variables.");
#endif
        const EnvironmentOverride d("DISPLAY", display);
        const EnvironmentOverride w("WAYLAND_DISPLAY", wayland);
        const EnvironmentOverride p("QT_QPA_PLATFORM", platform);
        const QString ownOption =
            windows == Windows::Optional ? QStringLiteral("no-window") : QString();
        QCOMPARE(consolestart::consoleOnly(QStringList{"program"} + arguments, addOptions, windows,
                                           ownOption),
                 console);
    }
};

QTEST_GUILESS_MAIN(TestConsoleStart)
#include "tst_consolestart.moc"
