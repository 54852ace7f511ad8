#include "commandline.h"

#include "modini.h"
#include "settingsoption.h"
#include "trafficlog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace commandline {

namespace {

const QString settingsOption = QStringLiteral("settings");
const QString logOption = QStringLiteral("log");

} // namespace

QString versionText()
{
    return QStringLiteral(PRAVIX_RELEASE " (build " PRAVIX_VERSION ")");
}

void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral("Modbus RTU master for the Pravix serial "
                                                    "character display."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        settingsOption,
        QStringLiteral("Keep the settings in <file> instead of pravix.ini beside the program "
                       "(or in the user's configuration folder where that folder cannot be "
                       "written)."),
        QStringLiteral("file")));
    parser.addOption(QCommandLineOption(
        logOption,
        QStringLiteral("Append every exchange and upload to <file>, one CSV line each as it "
                       "ends."),
        QStringLiteral("file")));
}

bool apply(const QCommandLineParser &parser, QString *error)
{
    const QStringList stray = parser.positionalArguments();
    if (!stray.isEmpty()) {
        *error = QStringLiteral("Unexpected argument '%1'.").arg(stray.first());
        return false;
    }
    if (!parser.isSet(settingsOption))
        return true;
    const QString file = settingsoption::resolve(parser.value(settingsOption), error);
    if (file.isEmpty())
        return false;
    modINI::setIniFilePath(file);
    return true;
}

bool openLog(const QCommandLineParser &parser, std::unique_ptr<TrafficLog> *log, QString *error)
{
    log->reset();
    if (!parser.isSet(logOption))
        return true;
    const QString named = parser.value(logOption);
    if (named.isEmpty()) {
        *error = QStringLiteral("--log needs a file name.");
        return false;
    }
    auto opened = std::make_unique<TrafficLog>();
    if (!opened->open(QFileInfo(named).absoluteFilePath())) {
        *error = QStringLiteral("Cannot open the log %1.").arg(opened->errorText());
        return false;
    }
    *log = std::move(opened);
    return true;
}

} // namespace commandline
