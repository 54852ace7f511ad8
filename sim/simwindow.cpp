#include "simwindow.h"

#include "hextext.h"
#include "lcdpanel.h"
#include "lcdslave.h"
#include "misbehaviour.h"

#include "cp1252.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace lcdsim {
namespace {

// Two coil rows first, then one row per holding register.
constexpr int rowCount = LcdSlave::coilCount + LcdSlave::registerCount;
// Wide enough for the row names, a register value and its two characters.
constexpr int tableWidth = 330;

QString printable(const QByteArray &bytes)
{
    QString text = cp1252::decode(bytes);
    for (QChar &c : text) {
        if (!c.isPrint())
            c = QChar(0x00B7);
    }
    return text;
}

QString describe(const DisplaySetup &setup, int answeringTo)
{
    QStringList lines;
    lines << QStringLiteral("Slave ID %1 (answering to slave %2)")
                 .arg(setup.slaveId)
                 .arg(answeringTo);
    lines << QStringLiteral("Line speed %1 baud, format %2")
                 .arg(setup.baudText(), setup.formatText());
    for (int n = 0; n < DisplaySetup::messageCount; ++n)
        lines << QStringLiteral("Message %1: \"%2\"").arg(n + 1).arg(printable(setup.messages[n]));
    for (int l = 0; l < LcdSlave::lineCount; ++l) {
        const DisplaySetup::NumericField &field = setup.fields[l];
        lines << QStringLiteral("Line %1: start-up screen %2; numeric field width %3, decimal "
                                "point %4, start point %5")
                     .arg(l)
                     .arg(DisplaySetup::screenText(setup.startupScreens[l]))
                     .arg(field.width)
                     .arg(field.decimalPoint)
                     .arg(field.startPoint);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

SimWindow::SimWindow(LcdSlave &slave, const QString &devicePath, const Misbehaviour &misbehaviour,
                     QWidget *parent)
    : QWidget(parent), m_slave(slave), m_devicePath(devicePath), m_faults(misbehaviour.summary())
{
    setWindowTitle(QStringLiteral("Pravix LCD simulator"));

    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_panel = new LcdPanel(this);

    m_table = new QTableWidget(rowCount, 2, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Value"), QStringLiteral("Characters")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->setFocusPolicy(Qt::NoFocus);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setMinimumWidth(tableWidth);
    QStringList rowNames;
    for (int c = 0; c < LcdSlave::coilCount; ++c)
        rowNames << QStringLiteral("Coil %1").arg(c);
    for (int r = 0; r < LcdSlave::registerCount; ++r)
        rowNames << QStringLiteral("Register %1").arg(r);
    m_table->setVerticalHeaderLabels(rowNames);
    for (int row = 0; row < rowCount; ++row) {
        for (int column = 0; column < 2; ++column)
            m_table->setItem(row, column, new QTableWidgetItem);
    }

    auto *setupBox = new QGroupBox(QStringLiteral("Last configuration image"), this);
    m_setup = new QLabel(setupBox);
    m_setup->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_setup->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Fixed pitch, so the blanks that pad each message show.
    m_setup->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *setupLayout = new QVBoxLayout(setupBox);
    setupLayout->addWidget(m_setup);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_status, 0, 0, 1, 2);
    layout->addWidget(m_panel, 1, 0);
    layout->addWidget(setupBox, 2, 0);
    layout->addWidget(m_table, 1, 1, 2, 1);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);

    connect(&m_slave, &LcdSlave::changed, this, &SimWindow::refresh);
    refresh();
    resize(sizeHint().width(), 560);
}

QString SimWindow::setupText() const
{
    return m_setup->text();
}

void SimWindow::refresh()
{
    m_panel->setLines(m_slave.line(0), m_slave.line(1));
    for (int c = 0; c < LcdSlave::coilCount; ++c)
        m_table->item(c, 0)->setText(m_slave.coil(c) ? QStringLiteral("ON")
                                                     : QStringLiteral("OFF"));
    for (int r = 0; r < LcdSlave::registerCount; ++r) {
        const quint16 value = m_slave.holdingRegister(r);
        const int row = LcdSlave::coilCount + r;
        m_table->item(row, 0)->setText(hextext::value(value, 4));
        if (r < LcdSlave::screenRegisters) {
            const char pair[] = {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
            m_table->item(row, 1)->setText(QStringLiteral("line %1: \"%2\"")
                                               .arg(r / (LcdSlave::screenRegisters / 2))
                                               .arg(printable(QByteArray(pair, 2))));
        }
    }
    const auto &setup = m_slave.setup();
    m_setup->setText(setup ? describe(*setup, m_slave.slaveId())
                           : QStringLiteral("None received yet."));
    showStatus();
}

void SimWindow::showStatus()
{
    QString text = QStringLiteral("Device %1, slave %2, listening at %3")
                       .arg(m_devicePath)
                       .arg(m_slave.slaveId())
                       .arg(m_slave.lineSettings().text());
    if (!m_faults.isEmpty())
        text += QStringLiteral("; ") + m_faults;
    m_status->setText(text);
}

} // namespace lcdsim
