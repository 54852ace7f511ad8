#include "portswindow.h"

#include "appearance.h"
#include "devicetablemodel.h"
#include "messagebox.h"
#include "modini.h"
#include "portassignment.h"
#include "storedline.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

PortsWindow::PortsWindow(DeviceLookup lookup, QWidget *parent)
    : QWidget(parent), m_lookup(std::move(lookup)), m_model(new DeviceTableModel(this)),
      m_table(new QTableView(this)), m_numbers(new QLabel(this)), m_number(new QComboBox(this)),
      m_apply(new QPushButton(QStringLiteral("Give it this number"), this)),
      m_refresh(new QPushButton(QStringLiteral("Refresh"), this)), m_status(new QLabel(this))
{
    setWindowFlags(Qt::Window);
    setWindowTitle(QStringLiteral("Ports"));
    appearance::apply(this);
    setObjectName(QStringLiteral("PortsWindow"));
    m_table->setObjectName(QStringLiteral("tblDevices"));
    m_numbers->setObjectName(QStringLiteral("lblNumbers"));
    m_number->setObjectName(QStringLiteral("cboNumber"));
    m_apply->setObjectName(QStringLiteral("cmdApply"));
    m_refresh->setObjectName(QStringLiteral("cmdRefresh"));
    m_status->setObjectName(QStringLiteral("lblStatus"));

    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    // Tab leaves the list for the port number, as it would leave any single choice.
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_numbers->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    for (int number = 1; number <= storedline::highestPort; ++number)
        m_number->addItem(QString::number(number));

    auto *choice = new QHBoxLayout;
    if (portassignment::available) {
        choice->addWidget(new QLabel(QStringLiteral("Port number for the chosen device:"), this));
        choice->addWidget(m_number);
        choice->addWidget(m_apply);
    } else {
        m_number->hide();
        m_apply->hide();
        choice->addWidget(new QLabel(QStringLiteral("On Windows port n is COMn."), this));
    }
    choice->addStretch();
    choice->addWidget(m_refresh);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_numbers);
    layout->addLayout(choice);
    layout->addWidget(m_status);

    connect(m_refresh, &QPushButton::clicked, this, &PortsWindow::refresh);
    connect(m_apply, &QPushButton::clicked, this, &PortsWindow::applyPressed);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PortsWindow::deviceChosen);
    refresh();
    resize(900, 320);
}

void PortsWindow::showFromMenu()
{
    refresh();
    show();
    raise();
    activateWindow();
}

// The chosen device stays chosen across a refresh as long as it is still listed.
void PortsWindow::refresh()
{
    const QString chosen = chosenDevice();
    const PortSurvey survey = PortSurvey::take(m_lookup);
    m_model->setSurvey(survey);
    m_table->resizeColumnsToContents();
    m_reselecting = true;
    for (int row = 0; row < survey.devices().size(); ++row) {
        if (survey.devices().at(row).name() == chosen)
            m_table->selectRow(row);
    }
    m_reselecting = false;
    const QStringList unlisted = survey.unlistedLines();
    m_numbers->setText(unlisted.isEmpty() ? QStringLiteral("Every port number reaches a device.")
                                          : unlisted.join(QLatin1Char('\n')));
    for (int number = 1; number <= storedline::highestPort; ++number)
        m_number->setItemData(number - 1, survey.tooltip(number), Qt::ToolTipRole);
}

// A device that has a number already offers it, so "Give it this number" changes nothing
// unless the user picks another. Chosen again by a refresh, it keeps the user's number.
void PortsWindow::deviceChosen()
{
    if (m_reselecting)
        return;
    const ListedDevice *device = m_model->survey().device(chosenDevice());
    if (device && !device->portNumbers.isEmpty())
        m_number->setCurrentIndex(device->portNumbers.first() - 1);
}

void PortsWindow::applyPressed()
{
    const QString device = chosenDevice();
    if (device.isEmpty()) {
        messagebox::show(this, QStringLiteral("Choose a device in the list first."));
        return;
    }
    const int number = m_number->currentIndex() + 1;
    switch (portassignment::assign(m_lookup, device, number)) {
    case portassignment::Result::Written:
        m_status->setText(
            QStringLiteral("Port %1 is now %2, from the next Connect.").arg(number).arg(device));
        refresh();
        emit portMapChanged();
        break;
    case portassignment::Result::DeviceGone:
        refresh();
        messagebox::show(this,
                         QStringLiteral("%1 is no longer there; nothing was written.").arg(device));
        break;
    case portassignment::Result::NotWritten:
        messagebox::show(this, QStringLiteral("The port number could not be saved: %1 cannot be "
                                              "written. It is as it was.")
                                   .arg(modINI::iniFilePath()));
        break;
    case portassignment::Result::Unavailable:
        break;
    }
}

QString PortsWindow::chosenDevice() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return QString();
    return m_model->survey().devices().at(rows.first().row()).name();
}
