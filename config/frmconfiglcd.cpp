#include "frmconfiglcd.h"

#include "ui_frmconfiglcd.h"

#include "appearance.h"
#include "combolist.h"
#include "commerror.h"
#include "messagebox.h"
#include "modini.h"
#include "modvariables.h"
#include "porthint.h"
#include "portmap.h"
#include "serialsettings.h"
#include "trafficrecorder.h"
#include "wrappedbuttonstyle.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>

#include <tuple>

namespace {

const QString portError = QStringLiteral(" Comm Port Error");
const QString lcdSection = QStringLiteral("LCD");

void addNumbers(QComboBox *combo, ConfigChoices::Range range)
{
    for (int v = range.first; v <= range.last; ++v)
        combo->addItem(QString::number(v));
}

QString rowKey(int index)
{
    return QStringLiteral("row%1").arg(index + 1);
}

} // namespace

frmConfigLCD::frmConfigLCD(DeviceFactory deviceFactory, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::frmConfigLCD>()),
      m_deviceFactory(std::move(deviceFactory))
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    appearance::apply(this);
    auto *captionStyle = new WrappedButtonStyle;
    captionStyle->setParent(this);
    ui->cmdConfig->setStyle(captionStyle);

    txtMessage = {ui->txtMessage_0, ui->txtMessage_1, ui->txtMessage_2,
                  ui->txtMessage_3, ui->txtMessage_4, ui->txtMessage_5};
    for (QLineEdit *box : txtMessage)
        m_designMessageTexts.emplace_back(box, box->text());
    for (QComboBox *combo : findChildren<QComboBox *>()) {
        combolist::setUp(combo);
        m_designComboTexts.emplace_back(combo, combo->currentText());
    }

    connect(ui->cmdConfig, &QPushButton::clicked, this, &frmConfigLCD::cmdConfig_Click);
}

frmConfigLCD::~frmConfigLCD() = default;

void frmConfigLCD::showFromMenu()
{
    const bool loading = !isLoaded();
    if (loading) {
        load();
        centreOnScreen();
    }
    show();
    // The frame is known only once the window is shown; centre the whole window, frame included.
    if (loading)
        centreOnScreen();
    raise();
    activateWindow();
}

void frmConfigLCD::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void frmConfigLCD::load()
{
    MSComm1 = std::make_unique<MSComm>(portmap::devicePath,
                                       m_deviceFactory ? m_deviceFactory() : nullptr);
    try {
        openPort();
    } catch (const CommError &error) {
        // The window still opens, showing what the load got done; without a port there is
        // nothing to send to until the window is loaded again.
        showPortError(error);
        ui->cmdConfig->setEnabled(false);
        return;
    }
    fillLists();
}

void frmConfigLCD::openPort()
{
    // The display talks to its configuration port at this speed and format only.
    MSComm1->setSettings(QLatin1String(ConfigImage::LineSettings));
    bool isNumber = false;
    const short portNumber = modVariables::CommPortNo.toShort(&isNumber);
    if (!isNumber)
        throw CommError(CommError::Kind::BadSetting,
                        QStringLiteral("Invalid port number \"%1\"").arg(modVariables::CommPortNo));
    MSComm1->setCommPort(portNumber);
    MSComm1->setPortOpen(true);
}

void frmConfigLCD::showPortError(const CommError &error)
{
    porthint::report(error, modINI::iniFilePath());
    messagebox::show(this, portError, porthint::summary(error, modINI::iniFilePath()));
}

void frmConfigLCD::fillLists()
{
    const ConfigChoices start = ConfigChoices::loadTime();
    addNumbers(ui->cboSID, ConfigChoices::slaveIds);
    combolist::choose(ui->cboSID, start.slaveId);
    ui->cboBR->addItems(SerialSettings::baudNames());
    combolist::choose(ui->cboBR, start.baudRate);
    ui->cboDF->addItems(SerialSettings::formatNames());
    combolist::choose(ui->cboDF, start.dataFormat);

    for (int i = 0; i < ConfigImage::MessageCount; ++i) {
        const QString stored = modINI::ReadIni(lcdSection, rowKey(i));
        txtMessage[static_cast<size_t>(i)]->setText(stored.left(ConfigImage::MessageLength));
    }

    addNumbers(ui->cboW1, ConfigChoices::widths);
    addNumbers(ui->cboW2, ConfigChoices::widths);
    addNumbers(ui->cboDP1, ConfigChoices::decimalPoints);
    addNumbers(ui->cboDP2, ConfigChoices::decimalPoints);
    addNumbers(ui->cboSP1, ConfigChoices::startPoints);
    addNumbers(ui->cboSP2, ConfigChoices::startPoints);
    combolist::choose(ui->cboW1, start.width1);
    combolist::choose(ui->cboW2, start.width2);
    combolist::choose(ui->cboDP1, start.decimalPoint1);
    combolist::choose(ui->cboDP2, start.decimalPoint2);
    combolist::choose(ui->cboSP1, start.startPoint1);
    combolist::choose(ui->cboSP2, start.startPoint2);

    ui->cboSpage1->addItems(ConfigChoices::startupScreens());
    ui->cboSpage2->addItems(ConfigChoices::startupScreens());
    combolist::choose(ui->cboSpage1, start.startupScreen1);
    combolist::choose(ui->cboSpage2, start.startupScreen2);
}

void frmConfigLCD::unload()
{
    MSComm1.reset();
    for (const auto &[combo, text] : m_designComboTexts) {
        combo->clear();
        combo->setEditText(text);
    }
    for (const auto &[box, text] : m_designMessageTexts)
        box->setText(text);
    ui->cmdConfig->setEnabled(true);
}

void frmConfigLCD::centreOnScreen()
{
    if (const QScreen *target = screen())
        move(pos() + target->availableGeometry().center() - frameGeometry().center());
}

void frmConfigLCD::cmdConfig_Click()
{
    if (!isLoaded())
        return;
    const QString missing = missingChoiceMessage();
    if (!missing.isEmpty()) {
        messagebox::show(this, missing);
        return;
    }
    if (const std::optional<CommError> failure = sendImage()) {
        // The display may not have its new ID: keeping the old "Slave" keeps the main
        // window addressing the display as it still is.
        showPortError(*failure);
        return;
    }
    saveSettings();
}

QString frmConfigLCD::missingChoiceMessage() const
{
    // Named the way the window labels them, so the user finds the list at once.
    const QString field1 = ui->Label10->text();
    const QString field2 = ui->Label13->text();
    const QString line0 = ui->Label15->text();
    const QString line1 = ui->Label16->text();
    const QString decimalPoint = ui->Label12->text();
    const QString startPoint = ui->Label14->text();
    const QString startupScreen = ui->Frame4->title();
    const QString width = ui->Label11->text();
    // Typed text has no value to send: the display would get ID 0, which no slave may have,
    // or width 0, which it cannot show.
    if (combolist::position(ui->cboSID) < 0)
        return QStringLiteral("Select a %1 from the list.").arg(ui->Label1->text());
    const std::array<std::tuple<const QComboBox *, QString, QString>, 8> lists = {{
        {ui->cboW1, width, field1},
        {ui->cboW2, width, field2},
        {ui->cboDP1, decimalPoint, field1},
        {ui->cboDP2, decimalPoint, field2},
        {ui->cboSP1, startPoint, field1},
        {ui->cboSP2, startPoint, field2},
        {ui->cboSpage1, startupScreen, line0},
        {ui->cboSpage2, startupScreen, line1},
    }};
    for (const auto &[combo, what, where] : lists) {
        if (combolist::position(combo) < 0)
            return QStringLiteral("Select a %1 for %2 from the list.").arg(what, where);
    }
    return QString();
}

ConfigChoices frmConfigLCD::chosenPositions() const
{
    ConfigChoices choices;
    choices.baudRate = combolist::position(ui->cboBR);
    choices.dataFormat = combolist::position(ui->cboDF);
    choices.slaveId = combolist::position(ui->cboSID);
    choices.decimalPoint1 = combolist::position(ui->cboDP1);
    choices.decimalPoint2 = combolist::position(ui->cboDP2);
    choices.startPoint1 = combolist::position(ui->cboSP1);
    choices.startPoint2 = combolist::position(ui->cboSP2);
    choices.startupScreen1 = combolist::position(ui->cboSpage1);
    choices.startupScreen2 = combolist::position(ui->cboSpage2);
    choices.width1 = combolist::position(ui->cboW1);
    choices.width2 = combolist::position(ui->cboW2);
    return choices;
}

std::array<QString, ConfigImage::MessageCount> frmConfigLCD::messageTexts() const
{
    std::array<QString, ConfigImage::MessageCount> texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = txtMessage[i]->text();
    return texts;
}

std::optional<CommError> frmConfigLCD::sendImage()
{
    const bool useRts = modVariables::UseRts;
    std::optional<CommError> failure;
    QDateTime written;
    m_image.writeMessages(messageTexts());
    try {
        if (useRts)
            MSComm1->setRTSEnable(true);
        m_image.writeChoices(chosenPositions());
        m_image.writeChecksum();
        MSComm1->output(m_image.toByteArray());
        written = QDateTime::currentDateTime();
    } catch (const CommError &error) {
        failure = error;
    }
    // RTS must never stay up: a half-duplex adapter would hold the line for good.
    if (useRts) {
        try {
            MSComm1->setRTSEnable(false);
        } catch (const CommError &error) {
            if (!failure)
                failure = error;
        }
    }
    recordUpload(written.isValid() ? written : QDateTime::currentDateTime(), !failure);
    return failure;
}

// A failed write or RTS change is a port error on the record; the upload awaits no reply.
void frmConfigLCD::recordUpload(const QDateTime &written, bool sent)
{
    if (!m_recorder)
        return;
    TrafficRecord record;
    record.time = written;
    record.window = TrafficRecord::configWindow;
    record.device = MSComm1->devicePath();
    record.settings = MSComm1->settings();
    record.sent = m_image.toByteArray();
    record.outcome = sent ? TrafficOutcome::Written : TrafficOutcome::PortError;
    m_recorder->record(record);
}

void frmConfigLCD::saveSettings()
{
    const int slaveId = combolist::position(ui->cboSID) + ConfigChoices::slaveIds.first;
    modINI::WriteIni(lcdSection, QStringLiteral("Slave"), QString::number(slaveId));
    for (int i = 0; i < ConfigImage::MessageCount; ++i)
        modINI::WriteIni(lcdSection, rowKey(i), txtMessage[static_cast<size_t>(i)]->text());
}
