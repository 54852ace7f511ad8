#include "findwindow.h"

#include "appearance.h"
#include "modini.h"
#include "porthint.h"
#include "trafficrecorder.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

FindWindow::FindWindow(TrafficRecorder &recorder, LineSource lineSource, QWidget *parent)
    : QWidget(parent), m_recorder(recorder), m_lineSource(std::move(lineSource)),
      m_sweep(new finder::BackgroundSweep(this)),
      m_all(new QCheckBox(QStringLiteral("Find all displays, not only the first"), this)),
      m_progress(new QProgressBar(this)), m_start(new QPushButton(QStringLiteral("Start"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this)), m_list(new QListWidget(this)),
      m_use(new QPushButton(QStringLiteral("Use"), this)), m_status(new QLabel(this))
{
    setWindowFlags(Qt::Window);
    setWindowTitle(QStringLiteral("Find LCD"));
    appearance::apply(this);
    setObjectName(QStringLiteral("FindWindow"));
    m_all->setObjectName(QStringLiteral("chkAll"));
    m_progress->setObjectName(QStringLiteral("pbrProgress"));
    m_start->setObjectName(QStringLiteral("cmdStart"));
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_list->setObjectName(QStringLiteral("lstFound"));
    m_use->setObjectName(QStringLiteral("cmdUse"));
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto *intro = new QLabel(
        QStringLiteral("Tries every slave ID at the nine line settings with a request that "
                       "changes nothing on the display: the main window's slave ID first, then "
                       "its line setting, then the others, on the main window's port."),
        this);
    intro->setWordWrap(true);
    m_progress->setTextVisible(true);
    m_progress->setFormat(QString());
    m_progress->setValue(0);
    m_use->setToolTip(QStringLiteral("Sets the main window's baud rate, format and slave ID; "
                                     "the port opens at Connect"));
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *searchButtons = new QHBoxLayout;
    searchButtons->addWidget(m_all, 1);
    searchButtons->addWidget(m_start);
    searchButtons->addWidget(m_cancel);
    auto *useButtons = new QHBoxLayout;
    useButtons->addStretch();
    useButtons->addWidget(m_use);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(searchButtons);
    layout->addWidget(m_progress);
    layout->addWidget(new QLabel(QStringLiteral("Displays found:"), this));
    layout->addWidget(m_list, 1);
    layout->addLayout(useButtons);
    layout->addWidget(m_status);

    connect(m_start, &QPushButton::clicked, this, &FindWindow::startPressed);
    connect(m_cancel, &QPushButton::clicked, m_sweep, &finder::BackgroundSweep::cancel);
    connect(m_use, &QPushButton::clicked, this, &FindWindow::usePressed);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &FindWindow::usePressed);
    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { m_use->setEnabled(row >= 0); });
    connect(m_sweep, &finder::BackgroundSweep::probing, this, &FindWindow::showProgress);
    connect(m_sweep, &finder::BackgroundSweep::probed, this,
            [this](const TrafficRecord &record) { m_recorder.record(record); });
    connect(m_sweep, &finder::BackgroundSweep::found, this, &FindWindow::addFound);
    connect(m_sweep, &finder::BackgroundSweep::finished, this, &FindWindow::searchEnded);
    m_use->setEnabled(false);
    showSearching(false);
    resize(460, 380);
}

void FindWindow::showFromMenu()
{
    show();
    raise();
    activateWindow();
}

void FindWindow::closeEvent(QCloseEvent *event)
{
    m_sweep->cancel();
    event->accept();
}

void FindWindow::startPressed()
{
    if (isSearching())
        return;
    QString whyNot;
    const std::optional<SearchLine> line = m_lineSource(&whyNot);
    if (!line) {
        m_status->setText(whyNot);
        return;
    }
    const std::vector<SerialSettings> lines(SerialSettings::all().begin(),
                                            SerialSettings::all().end());
    // The requests are built here, on the thread that builds the main window's.
    m_plan.emplace(finder::everySlaveId(), lines, line->storedSlave, line->current);
    finder::SweepOptions options;
    options.all = m_all->isChecked();
    options.rts = line->rts;
    options.echo = line->echo;
    options.producer = TrafficRecord::findWindow;

    m_found.clear();
    m_list->clear();
    m_progress->setRange(0, int(m_plan->probes().size()));
    m_progress->setValue(0);
    m_status->setText(QStringLiteral("Searching port %1 (%2); about %3 s if no display answers.")
                          .arg(line->portNumber)
                          .arg(line->device)
                          .arg(std::ceil(m_plan->longestMs() / 1000.0)));
    m_sweep->start(line->device, *m_plan, options);
    showSearching(true);
}

void FindWindow::showProgress(const finder::SweepProgress &progress)
{
    m_progress->setValue(progress.done);
    m_progress->setFormat(QStringLiteral("%1, ID %2 (%3 of %4)")
                              .arg(progress.probe.line.label())
                              .arg(progress.probe.slave)
                              .arg(progress.done + 1)
                              .arg(progress.total));
}

void FindWindow::addFound(const finder::Found &display)
{
    m_found.push_back(display);
    m_list->addItem(display.label());
    if (m_list->currentRow() < 0)
        m_list->setCurrentRow(0);
}

void FindWindow::searchEnded(const finder::SweepResult &result)
{
    m_progress->setValue(result.sent);
    QString text = finder::summary(result, *m_plan) + QLatin1Char('.');
    if (result.portError) {
        porthint::report(*result.portError, modINI::iniFilePath());
        text += QLatin1Char('\n') + porthint::summary(*result.portError, modINI::iniFilePath());
    } else if (result.found.empty() && !result.stopped) {
        text += QStringLiteral("\nNo display answered: check the wiring and the port number; a "
                               "half-duplex RS-485 adapter needs \"Use RTS\".");
    }
    m_status->setText(text);
    showSearching(false);
}

void FindWindow::usePressed()
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= int(m_found.size()))
        return;
    emit useChosen(m_found[size_t(row)].line, m_found[size_t(row)].slave);
}

void FindWindow::showSearching(bool searching)
{
    m_start->setEnabled(!searching);
    m_all->setEnabled(!searching);
    m_cancel->setEnabled(searching);
    emit searchingChanged(searching);
}
