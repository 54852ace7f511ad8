#include "lcdpanel.h"

#include "cp1252.h"
#include "lcdslave.h"

#include <QFontDatabase>
#include <QPainter>

namespace lcdsim {
namespace {

constexpr int cellWidth = 24;
constexpr int cellHeight = 36;
constexpr int cellGap = 3;
constexpr int margin = 14;
const QColor glass(0xA4, 0xC6, 0x39);
const QColor cell(0x8E, 0xAE, 0x2C);
const QColor ink(0x1C, 0x26, 0x0C);

QString shown(const QByteArray &bytes)
{
    QString text = cp1252::decode(bytes.left(LcdSlave::lineLength));
    for (QChar &c : text) {
        if (!c.isPrint())
            c = QLatin1Char(' ');
    }
    return text.leftJustified(LcdSlave::lineLength, QLatin1Char(' '));
}

} // namespace

LcdPanel::LcdPanel(QWidget *parent) : QWidget(parent)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(cellHeight * 2 / 3);
    font.setBold(true);
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setLines({}, {});
}

void LcdPanel::setLines(const QByteArray &line0, const QByteArray &line1)
{
    m_lines = {shown(line0), shown(line1)};
    setAccessibleDescription(m_lines[0] + QLatin1Char('\n') + m_lines[1]);
    update();
}

QSize LcdPanel::sizeHint() const
{
    const int columns = LcdSlave::lineLength;
    const int rows = LcdSlave::lineCount;
    return {2 * margin + columns * cellWidth + (columns - 1) * cellGap,
            2 * margin + rows * cellHeight + (rows - 1) * cellGap};
}

void LcdPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawRoundedRect(rect(), 6, 6);
    for (int row = 0; row < LcdSlave::lineCount; ++row) {
        for (int column = 0; column < LcdSlave::lineLength; ++column) {
            const QRect box(margin + column * (cellWidth + cellGap),
                            margin + row * (cellHeight + cellGap), cellWidth, cellHeight);
            painter.setPen(Qt::NoPen);
            painter.fillRect(box, cell);
            painter.setPen(ink);
            painter.drawText(box, Qt::AlignCenter, m_lines[row].mid(column, 1));
        }
    }
}

} // namespace lcdsim
