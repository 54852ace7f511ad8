#include "configimages.h"
#include "framehandler.h"
#include "lcdpanel.h"
#include "lcdslave.h"
#include "misbehaviour.h"
#include "simwindow.h"

#include <QLabel>
#include <QTableWidget>
#include <QtTest>

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

QString cellText(const QTableWidget &table, const QString &row, int column)
{
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.verticalHeaderItem(r)->text() == row)
            return table.item(r, column)->text();
    }
    return QStringLiteral("(no row %1)").arg(row);
}

} // namespace

// The window follows the display: screen, coils, registers and the last configuration.
class TestSimWindow : public QObject
{
    Q_OBJECT

private slots:
    void followsTheDisplay()
    {
        lcdsim::LcdSlave slave(1);
        lcdsim::SimWindow window(slave, QStringLiteral("/dev/pts/99"), lcdsim::Misbehaviour{});
        window.show();
        const auto *table = window.findChild<QTableWidget *>();
        QVERIFY(table);
        QCOMPARE(window.panel().lineText(0), QString(16, QLatin1Char(' ')));
        QCOMPARE(window.setupText(), QStringLiteral("None received yet."));

        lcdsim::handleFrame(hex("01 10 00 00 00 01 02 48 69 50 7E"), slave);
        lcdsim::handleFrame(hex("01 05 00 00 FF 00 8C 3A"), slave);
        lcdsim::handleFrame(hex("01 06 00 18 12 34 04 BA"), slave);
        QCOMPARE(window.panel().lineText(0), QStringLiteral("Hi              "));
        QCOMPARE(cellText(*table, QStringLiteral("Coil 0"), 0), QStringLiteral("ON"));
        QCOMPARE(cellText(*table, QStringLiteral("Coil 1"), 0), QStringLiteral("OFF"));
        QCOMPARE(cellText(*table, QStringLiteral("Register 0"), 0), QStringLiteral("0x4869"));
        QCOMPARE(cellText(*table, QStringLiteral("Register 24"), 0), QStringLiteral("0x1234"));

        lcdsim::handleFrame(helloImage(), slave);
        QCOMPARE(window.panel().lineText(0), QStringLiteral("HELLO           "));
        const QString setup = window.setupText();
        QVERIFY2(setup.contains(QStringLiteral("Slave ID 7 (answering to slave 7)")),
                 qPrintable(setup));
        QVERIFY2(setup.contains(QStringLiteral("19200 baud, format 8N2")), qPrintable(setup));
        QVERIFY2(setup.contains(QStringLiteral("Message 1: \"HELLO           \"")),
                 qPrintable(setup));
        QVERIFY2(setup.contains(QStringLiteral("Line 0: start-up screen Message 1; numeric field "
                                               "width 4, decimal point 2, start point 3")),
                 qPrintable(setup));
        const auto labels = window.findChildren<QLabel *>();
        const bool statusShowsNewId =
            std::any_of(labels.begin(), labels.end(), [](const QLabel *l) {
                return l->text() ==
                       QStringLiteral("Device /dev/pts/99, slave 7, listening at 19200 8N2");
            });
        QVERIFY(statusShowsNewId);
    }

    void controlBytesShowAsBlankCells()
    {
        lcdsim::LcdPanel panel;
        panel.setLines(QByteArray("A\x01"
                                  "B",
                                  3),
                       QByteArray("\xC4\x80", 2));
        QCOMPARE(panel.lineText(0), QStringLiteral("A B             "));
        QCOMPARE(panel.lineText(1), QStringLiteral("\u00C4\u20AC              "));
    }
};

QTEST_MAIN(TestSimWindow)
#include "tst_simwindow.moc"
