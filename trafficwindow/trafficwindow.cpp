#include "trafficwindow.h"

#include "appearance.h"
#include "cachedscrollbar.h"
#include "messagebox.h"
#include "trafficcelldelegate.h"
#include "trafficcsvreader.h"
#include "trafficexport.h"
#include "trafficmodel.h"
#include "trafficplot.h"
#include "traffictableview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include <array>

TrafficWindow::TrafficWindow(TrafficModel &model, QWidget *parent)
    : QWidget(parent), m_model(model), m_table(new TrafficTableView(this)),
      m_plot(new TrafficPlot(model, this)), m_summary(new QVBoxLayout),
      m_statistics(new QLabel(this)), m_diagnosis(new QLabel(this)),
      m_open(new QPushButton(QStringLiteral("Open…"), this)),
      m_saveAs(new QPushButton(QStringLiteral("Save as CSV…"), this)),
      m_clear(new QPushButton(QStringLiteral("Clear"), this)), m_summaryPause(new QTimer(this))
{
    setWindowFlags(Qt::Window);
    setWindowTitle(QStringLiteral("Traffic"));
    appearance::apply(this);
    setObjectName(QStringLiteral("TrafficWindow"));
    m_table->setObjectName(QStringLiteral("tblTraffic"));
    m_statistics->setObjectName(QStringLiteral("lblStatistics"));
    m_diagnosis->setObjectName(QStringLiteral("lblDiagnosis"));
    m_open->setObjectName(QStringLiteral("cmdOpen"));
    m_saveAs->setObjectName(QStringLiteral("cmdSaveAs"));
    m_clear->setObjectName(QStringLiteral("cmdClear"));

    setUpTable();
    m_statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->addWidget(m_statistics);
    m_diagnosis->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->addWidget(m_diagnosis);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_open);
    buttons->addWidget(m_saveAs);
    buttons->addWidget(m_clear);

    // The table over the plot; the user moves the line between them.
    auto *split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splTraffic"));
    split->setChildrenCollapsible(false);
    split->addWidget(m_table);
    split->addWidget(m_plot);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(m_summary);
    layout->addLayout(buttons);

    connect(m_open, &QPushButton::clicked, this, &TrafficWindow::openPressed);
    connect(m_saveAs, &QPushButton::clicked, this, &TrafficWindow::saveAsPressed);
    connect(m_clear, &QPushButton::clicked, this, &TrafficWindow::clearPressed);
    // Counting is cheap, showing is not: a selectable label lays its text out as a document
    // each time, which cost more than the rest of a new record. The lines show a change at once
    // after a quiet spell and otherwise at most ten times a second; a Clear shows at once.
    m_summaryPause->setSingleShot(true);
    m_summaryPause->setInterval(100);
    connect(m_summaryPause, &QTimer::timeout, this, [this] {
        if (m_summaryDue)
            showSummary();
    });
    connect(&m_model, &TrafficModel::statisticsChanged, this, [this] {
        if (m_summaryPause->isActive())
            m_summaryDue = true;
        else
            showSummary();
    });
    connect(&m_model, &QAbstractItemModel::modelReset, this, &TrafficWindow::showSummary);
    // Following is a matter of where the user left the scroll bar: at the bottom, the table
    // stays there as new rows (and with them a horizontal scroll bar) change its range.
    QScrollBar *bar = m_table->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_following = value == bar->maximum(); });
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int maximum) {
        if (m_following)
            bar->setValue(maximum);
    });
    // A point clicked in the plot chooses its row in the table, and the row chosen in the table
    // is marked in the plot.
    connect(m_plot, &TrafficPlot::rowChosen, this, [this](int row) {
        const QModelIndex index = m_model.index(row, 0);
        m_table->selectRow(row);
        m_table->scrollTo(index);
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, m_plot,
            [this](const QModelIndex &current) {
                m_plot->setSelectedRow(current.isValid() ? current.row() : -1);
            });
    showSummary();
    resize(1100, 640);
}

void TrafficWindow::setUpTable()
{
    m_table->setModel(&m_model);
    m_table->setItemDelegate(new TrafficCellDelegate(m_table));
    m_table->setVerticalScrollBar(new CachedScrollBar(Qt::Vertical, m_table));
    m_table->setHorizontalScrollBar(new CachedScrollBar(Qt::Horizontal, m_table));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    // Ten thousand rows stay cheap only with fixed row heights and column widths: nothing is
    // measured per row.
    QHeaderView *rows = m_table->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    // Widths from typical contents: a time, a window name, a device path, a settings string,
    // a request with a short message, an eight-byte answer, the longest outcome and two timings.
    const std::array<const char *, TrafficModel::ColumnCount> samples = {
        "00:00:00.000_",
        "config_",
        "/dev/ttyUSB0__",
        "38400,e,8,1_",
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00_",
        "00 00 00 00 00 00 00 00_",
        "no response_",
        "First byte (ms)_",
        "Last byte (ms)"};
    for (int column = 0; column < TrafficModel::ColumnCount; ++column)
        columns->resizeSection(
            column,
            fontMetrics().horizontalAdvance(QString::fromLatin1(samples[size_t(column)])) + 12);
}

void TrafficWindow::showFromMenu()
{
    show();
    raise();
    activateWindow();
}

bool TrafficWindow::saveTo(const QString &path)
{
    QString error;
    if (trafficexport::save(m_model, path, &error))
        return true;
    messagebox::show(this, QStringLiteral("The history could not be saved.\n%1").arg(error));
    return false;
}

void TrafficWindow::saveAsPressed()
{
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save as CSV"), QStringLiteral("traffic.csv"),
        QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        saveTo(path);
}

TrafficWindow *TrafficWindow::openFile(const QString &path)
{
    QString error;
    const std::optional<QList<TrafficRecord>> records = trafficcsv::readFile(path, &error);
    if (!records) {
        messagebox::show(this, QStringLiteral("The file could not be opened.\n%1").arg(error));
        return nullptr;
    }
    // A log may be longer than the live cap: the table keeps what it holds of a live run, the
    // statistics and the diagnosis count the whole file.
    auto *model = new TrafficModel;
    for (const TrafficRecord &record : *records)
        model->append(record);
    auto *shown = new TrafficWindow(*model, this);
    model->setParent(shown);
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->setWindowTitle(QStringLiteral("Traffic: %1").arg(QFileInfo(path).fileName()));
    // Nothing is recorded into it, and the file stays as it was read.
    shown->m_clear->hide();
    shown->show();
    return shown;
}

void TrafficWindow::openPressed()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Open"), QString(),
                                     QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (!path.isEmpty())
        openFile(path);
}

void TrafficWindow::clearPressed()
{
    m_model.clear();
}

void TrafficWindow::showSummary()
{
    m_summaryDue = false;
    showStatistics();
    showDiagnosis();
    m_summaryPause->start();
}

void TrafficWindow::showStatistics()
{
    m_statistics->setText(m_model.statistics().summary());
}

// One line per finding, each with what to try, so that several causes stay readable.
void TrafficWindow::showDiagnosis()
{
    QStringList lines;
    for (const LineFinding &finding : m_model.diagnosis().findings(DiagnosisReader::TrafficWindow))
        lines.append(QStringLiteral("Diagnosis: ") + finding.line());
    m_diagnosis->setText(lines.isEmpty() ? QStringLiteral("Diagnosis: none")
                                         : lines.join(QLatin1Char('\n')));
}
