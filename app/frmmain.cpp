#include "frmmain.h"
#include "ui_frmmain.h"

#include "appearance.h"
#include "combolist.h"
#include "commerror.h"
#include "cp1252.h"
#include "exchangerecord.h"
#include "findwindow.h"
#include "hextext.h"
#include "messagebox.h"
#include "modini.h"
#include "modvariables.h"
#include "porthint.h"
#include "portmap.h"
#include "portswindow.h"
#include "serialsettings.h"
#include "storedline.h"
#include "trafficmodel.h"
#include "trafficrecorder.h"
#include "trafficwindow.h"
#include "writecommands.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include <array>

namespace {

const QString connectCaption = QStringLiteral("Connect");
const QString disconnectCaption = QStringLiteral("Disconnect");
const QString portErrorText = QStringLiteral("COMM PORT ERROR!");

const QString settingsSection = QStringLiteral("Settings");
const QString commPortKey = QStringLiteral("CommPort");
const QString settingKey = QStringLiteral("Setting");

using storedline::highestPort;
using storedline::highestSlave;

// A settings string is a baud part, a comma and one of the format parts, which stand in the
// order of the entries of cboDF.
int formatIndex(const QString &settings)
{
    const QStringList &parts = SerialSettings::formatParts();
    for (int i = 0; i < int(parts.size()); ++i) {
        if (settings.endsWith(parts[i]))
            return i;
    }
    return -1;
}

// Every format part has the same length, five characters: "n,8,1".
qsizetype formatPartLength()
{
    return SerialSettings::formatParts().constFirst().size();
}

QString baudName(int index)
{
    return SerialSettings::baudNames().at(index);
}

QString registerAddressEntry(int value)
{
    return hextext::value(unsigned(value), 4);
}

QString dataByteEntry(int value)
{
    return hextext::value(unsigned(value), 2);
}

} // namespace

frmMain::frmMain(std::unique_ptr<SerialDevice> device, frmConfigLCD::DeviceFactory configDevices,
                 QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>()), Timer1(new QTimer(this)),
      MSComm1(portmap::devicePath, std::move(device)),
      m_exchange(
          MSComm1, *Timer1, [this](const QString &text) { ui->lblTxData->setText(text); },
          [this](const QString &text) { ui->lblRxData->setText(text); }),
      m_configDevices(std::move(configDevices)), m_recorder(new TrafficRecorder(this))
{
    ui->setupUi(this);
    setUpWindow();
    load();
    connectHandlers();
}

// The Traffic window goes before the recorder whose table it shows.
frmMain::~frmMain()
{
    m_trafficWindow.reset();
}

void frmMain::setUpWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    appearance::apply(this);
    // The central widget has a fixed size; the window follows it and the menu bar's height.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20);

    for (QComboBox *combo : findChildren<QComboBox *>())
        combolist::setUp(combo);
    // Each exchange gives the monitor fields new texts. Held at the size they are drawn with, a
    // field then only repaints itself instead of asking its frame to lay itself out again.
    for (QLabel *field : {ui->lblTxData, ui->lblRxData})
        field->setFixedSize(field->size());
    adjustSize();
}

// Centred each time the program shows the window, once its frame is known.
void frmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        move(pos() + screen()->availableGeometry().center() - frameGeometry().center());
}

// The load step: lists filled, stored values restored and selected, the port object set up
// and left closed. Program selections run no handler; the variables are set here directly.
void frmMain::load()
{
    using namespace modVariables;

    for (int port = 1; port <= highestPort; ++port)
        ui->cboComm->addItem(QString::number(port));
    refreshPortTooltips();

    // Numbers go back to the file without leading zeros when the window closes.
    CommPortNo = QString::number(storedline::commPort());
    CommSettings = storedline::setting();
    // Only the nine settings strings the port accepts; an edited or damaged file starts afresh.
    if (!SerialSettings::parse(CommSettings))
        CommSettings = SerialSettings::standard().text;
    SlaveAddr = QString::number(storedline::slave());

    combolist::choose(ui->cboComm, CommPortNo.toInt() - 1);

    ui->cboDF->addItems(SerialSettings::formatNames());
    showSettings(CommSettings);

    for (int slave = 1; slave <= highestSlave; ++slave)
        ui->cboSlaveID->addItem(QString::number(slave));
    combolist::choose(ui->cboSlaveID, SlaveAddr.toInt() - 1);

    fillCommandLists();

    MSComm1.setCommPort(CommPortNo.toInt());
    MSComm1.setSettings(CommSettings);
    MSComm1.setInputMode(1);
}

void frmMain::showSettings(const QString &settings)
{
    const std::array<QRadioButton *, 3> baudButtons = {ui->opt9600, ui->opt19200, ui->opt38400};
    for (int i = 0; i < int(baudButtons.size()); ++i) {
        if (settings.startsWith(baudName(i) + QLatin1Char(',')))
            baudButtons[i]->setChecked(true);
    }
    combolist::choose(ui->cboDF, formatIndex(settings));
}

void frmMain::fillCommandLists()
{
    ui->cboAddr05->addItems({registerAddressEntry(0), registerAddressEntry(1)});
    ui->cboData05->addItems({QStringLiteral("0x0000"), QStringLiteral("0xFF00")});
    combolist::choose(ui->cboAddr05, 0);
    combolist::choose(ui->cboData05, 0);

    constexpr int sharedAddresses = 16;
    constexpr int singleRegisterAddresses = 25;
    for (int v = 0; v < sharedAddresses; ++v) {
        ui->cboAddr06->addItem(registerAddressEntry(v));
        ui->cboAddr16->addItem(registerAddressEntry(v));
    }
    for (int v = sharedAddresses; v < singleRegisterAddresses; ++v)
        ui->cboAddr06->addItem(registerAddressEntry(v));

    constexpr int byteValues = 256;
    for (int v = 0; v < byteValues; ++v) {
        ui->cboDataH06->addItem(dataByteEntry(v));
        ui->cboDataL06->addItem(dataByteEntry(v));
    }

    for (QComboBox *combo : {ui->cboAddr06, ui->cboAddr16, ui->cboDataH06, ui->cboDataL06})
        combolist::choose(combo, 0);
}

void frmMain::connectHandlers()
{
    connect(ui->cboComm, &QComboBox::activated, this, &frmMain::portChosen);
    connect(ui->opt9600, &QRadioButton::clicked, this, [this] { baudChosen(baudName(0)); });
    connect(ui->opt19200, &QRadioButton::clicked, this, [this] { baudChosen(baudName(1)); });
    connect(ui->opt38400, &QRadioButton::clicked, this, [this] { baudChosen(baudName(2)); });
    connect(ui->cboDF, &QComboBox::activated, this, &frmMain::dataFormatChosen);
    connect(ui->cmdConnect, &QPushButton::clicked, this, &frmMain::connectPressed);
    connect(ui->cboSlaveID, &QComboBox::activated, this, &frmMain::slaveChosen);
    connect(ui->mnuConfig, &QAction::triggered, this, &frmMain::configChosen);
    connect(ui->mnuTraffic, &QAction::triggered, this, &frmMain::trafficChosen);
    connect(ui->mnuPorts, &QAction::triggered, this, &frmMain::portsChosen);
    connect(ui->mnuFind, &QAction::triggered, this, &frmMain::findChosen);
    // Adapters come and go: the tooltips say what is there when the user looks.
    combolist::whenOpened(ui->cboComm, [this] { refreshPortTooltips(); });
    connect(ui->cmdSend05, &QPushButton::clicked, this, &frmMain::send05Pressed);
    connect(ui->cmdSend06, &QPushButton::clicked, this, &frmMain::send06Pressed);
    connect(ui->cmdSend16, &QPushButton::clicked, this, &frmMain::send16Pressed);
    connect(&m_exchange, &Exchange::finished, this, &frmMain::exchangeFinished);
}

// The port's life ends with the window: it is let go once the settings are saved. A close
// asked for while an exchange waits would pull the port from under it, so it waits its turn.
void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_exchange.inProgress()) {
        m_closePending = true;
        event->ignore();
        return;
    }
    m_closePending = false;
    modINI::WriteIni(settingsSection, commPortKey, modVariables::CommPortNo);
    modINI::WriteIni(settingsSection, settingKey, modVariables::CommSettings);
    try {
        MSComm1.setPortOpen(false);
    } catch (const CommError &) {
        // The window closes whatever the port says; there is nothing left to tell the user.
    }
    event->accept();
    // Left open, the Traffic window would keep the program running with no way to send.
    if (m_trafficWindow)
        m_trafficWindow->close();
    if (m_portsWindow)
        m_portsWindow->close();
    if (m_findWindow)
        m_findWindow->close();
}

void frmMain::portChosen(int index)
{
    if (applyToPort([this, index] { MSComm1.setCommPort(index + 1); }))
        modVariables::CommPortNo = QString::number(index + 1);
}

// The format part is the last five characters; the baud part is everything before its comma.
void frmMain::baudChosen(const QString &baud)
{
    const QString &current = modVariables::CommSettings;
    applySettings(baud + QLatin1Char(',') + current.right(formatPartLength()));
}

void frmMain::dataFormatChosen(int index)
{
    const QString &current = modVariables::CommSettings;
    applySettings(current.left(current.size() - formatPartLength()) +
                  SerialSettings::formatParts().at(index));
}

void frmMain::applySettings(const QString &settings)
{
    if (applyToPort([this, &settings] { MSComm1.setSettings(settings); }))
        modVariables::CommSettings = settings;
}

// The settings group is disabled while the port is open, which keeps these from failing; a
// failure all the same is told as every other port failure, never left to end the program.
bool frmMain::applyToPort(const std::function<void()> &operation)
{
    try {
        operation();
        return true;
    } catch (const CommError &error) {
        showPortError(error);
        return false;
    }
}

void frmMain::showPortError(const CommError &error)
{
    porthint::report(error, modINI::iniFilePath());
    messagebox::show(this, portErrorText, porthint::summary(error, modINI::iniFilePath()));
}

// The caption is the connection state. UseRts follows "Use RTS" on every press, even one
// whose open or close then fails.
void frmMain::connectPressed()
{
    if (m_exchange.inProgress())
        return;
    modVariables::UseRts = ui->Check1->isChecked();
    const QString caption = ui->cmdConnect->text();
    try {
        if (caption == connectCaption) {
            // Read where the line is taken up, so an edited file counts from the next Connect.
            const bool localEcho = storedline::localEcho();
            m_exchange.setLocalEcho(localEcho);
            m_recorder->model()->setLocalEcho(localEcho);
            MSComm1.setPortOpen(true);
            showConnected(true);
        } else if (caption == disconnectCaption) {
            MSComm1.setPortOpen(false);
            showConnected(false);
        }
    } catch (const CommError &error) {
        showPortError(error);
    }
}

void frmMain::showConnected(bool connected)
{
    ui->fComm->setEnabled(!connected);
    ui->fCom5->setEnabled(connected);
    ui->fCom6->setEnabled(connected);
    ui->fCom16->setEnabled(connected);
    ui->cmdConnect->setText(connected ? disconnectCaption : connectCaption);
}

void frmMain::slaveChosen(int index)
{
    modVariables::SlaveAddr = QString::number(index + 1);
}

// The configuration window opens the same port number on its own port object, so the main
// port lets go of it first. Caption and groups keep the connected look; the next press of
// "Disconnect" brings the window back to the disconnected state.
void frmMain::configChosen()
{
    if (m_exchange.inProgress())
        return;
    try {
        if (MSComm1.portOpen())
            MSComm1.setPortOpen(false);
    } catch (const CommError &error) {
        showPortError(error);
        return;
    }
    modVariables::UseRts = ui->Check1->isChecked();
    if (!m_configWindow) {
        m_configWindow = std::make_unique<frmConfigLCD>(m_configDevices);
        m_configWindow->setRecorder(m_recorder);
    }
    m_configWindow->showFromMenu();
}

// Open during an exchange as at any other time: it only shows what has been recorded.
void frmMain::trafficChosen()
{
    if (!m_trafficWindow)
        m_trafficWindow = std::make_unique<TrafficWindow>(*m_recorder->model());
    m_trafficWindow->showFromMenu();
}

void frmMain::setDeviceLookup(DeviceLookup lookup)
{
    m_deviceLookup = std::move(lookup);
    refreshPortTooltips();
}

// A number given in the Ports window counts from the next Connect: the port object asks the
// port map each time it opens.
void frmMain::portsChosen()
{
    if (!m_portsWindow) {
        m_portsWindow = std::make_unique<PortsWindow>(m_deviceLookup);
        connect(m_portsWindow.get(), &PortsWindow::portMapChanged, this,
                &frmMain::refreshPortTooltips);
    }
    m_portsWindow->showFromMenu();
}

void frmMain::refreshPortTooltips()
{
    const PortSurvey survey = PortSurvey::take(m_deviceLookup);
    for (int port = 1; port <= ui->cboComm->count(); ++port)
        ui->cboComm->setItemData(port - 1, survey.tooltip(port), Qt::ToolTipRole);
}

// While a search has the line, Connect and "Config LCD" would compete with it for the port.
void frmMain::findChosen()
{
    if (!m_findWindow) {
        m_findWindow = std::make_unique<FindWindow>(
            *m_recorder, [this](QString *whyNot) { return searchLine(whyNot); });
        connect(m_findWindow.get(), &FindWindow::useChosen, this, &frmMain::useFound);
        connect(m_findWindow.get(), &FindWindow::searchingChanged, this, [this](bool searching) {
            ui->cmdConnect->setEnabled(!searching);
            ui->mnuConfig->setEnabled(!searching);
        });
    }
    m_findWindow->showFromMenu();
}

// A search needs the port to itself: a connected main window disconnects, as its user would
// before letting another program at the line; the configuration window's unsaved choices are
// not thrown away for it.
std::optional<SearchLine> frmMain::searchLine(QString *whyNot)
{
    const int portNumber = modVariables::CommPortNo.toInt();
    const QString device = portmap::devicePath(portNumber);
    if (m_exchange.inProgress()) {
        *whyNot = QStringLiteral("The main window is waiting for an answer; press Start again.");
        return std::nullopt;
    }
    if (m_configWindow && m_configWindow->isLoaded() &&
        m_configWindow->serialPort()->devicePath() == device) {
        *whyNot = QStringLiteral("Configure Pravix has port %1 open: close it, then press Start.")
                      .arg(portNumber);
        return std::nullopt;
    }
    if (ui->cmdConnect->text() == disconnectCaption) {
        try {
            MSComm1.setPortOpen(false);
        } catch (const CommError &error) {
            *whyNot = porthint::summary(error, modINI::iniFilePath());
            return std::nullopt;
        }
        showConnected(false);
    }
    SearchLine line;
    line.portNumber = portNumber;
    line.device = device;
    line.current = SerialSettings::parse(modVariables::CommSettings).value_or(SerialSettings());
    line.storedSlave = modVariables::SlaveAddr.toInt();
    line.rts = ui->Check1->isChecked();
    line.echo = storedline::localEcho();
    return line;
}

// The settings apply to a closed port only, so a connected window disconnects first; the new
// line is taken up at the next Connect, as after any change of the settings.
void frmMain::useFound(const SerialSettings &line, int slave)
{
    if (m_exchange.inProgress())
        return;
    if (ui->cmdConnect->text() == disconnectCaption) {
        if (!applyToPort([this] { MSComm1.setPortOpen(false); }))
            return;
        showConnected(false);
    }
    applySettings(line.text);
    showSettings(modVariables::CommSettings);
    combolist::choose(ui->cboSlaveID, slave - 1);
    slaveChosen(slave - 1);
    raise();
    activateWindow();
}

void frmMain::send05Pressed()
{
    if (m_exchange.inProgress())
        return;
    if (!haveChoices({{ui->cboAddr05, ui->Label6->text()}}))
        return;
    const int length = writecommands::buildFunction05(combolist::position(ui->cboSlaveID),
                                                      combolist::position(ui->cboAddr05),
                                                      combolist::position(ui->cboData05));
    m_exchange.start(length, writecommands::waitTicks05);
}

void frmMain::send06Pressed()
{
    if (m_exchange.inProgress())
        return;
    const QString value = QStringLiteral(" value");
    if (!haveChoices({{ui->cboAddr06, ui->Label8->text()},
                      {ui->cboDataH06, ui->Label9->text() + value},
                      {ui->cboDataL06, ui->Label10->text() + value}}))
        return;
    const int length = writecommands::buildFunction06(
        combolist::position(ui->cboSlaveID), combolist::position(ui->cboAddr06),
        combolist::position(ui->cboDataH06), combolist::position(ui->cboDataL06));
    m_exchange.start(length, writecommands::waitTicks06);
}

// One byte per character, so the byte count is the message's length in characters.
void frmMain::send16Pressed()
{
    if (m_exchange.inProgress())
        return;
    if (!haveChoices({{ui->cboAddr16, ui->Label11->text()}}))
        return;
    const int length = writecommands::buildFunction16(combolist::position(ui->cboSlaveID),
                                                      combolist::position(ui->cboAddr16),
                                                      cp1252::encode(ui->txtMessage->text()));
    m_exchange.start(length, writecommands::waitTicks16);
}

// A list typed over has no value to put on the line; named as the window labels it, the user
// finds it at once.
bool frmMain::haveChoices(std::initializer_list<RequiredList> lists)
{
    for (const RequiredList &required : lists) {
        if (combolist::position(required.list) < 0) {
            messagebox::show(this, QStringLiteral("Select a %1 from the list.").arg(required.name));
            return false;
        }
    }
    return true;
}

// Carried out on the tick that ends the wait, in whatever event loop delivered it.
void frmMain::exchangeFinished(Exchange::Outcome outcome)
{
    m_recorder->record(exchangeRecord(m_exchange.lastTrace(), outcome, MSComm1));
    if (outcome == Exchange::Outcome::PortError && m_exchange.portError())
        showPortError(*m_exchange.portError());
    if (m_closePending)
        close();
    emit exchangeEnded();
}
