#include "crc16.h"
#include "probe.h"
#include "probeplan.h"
#include "searchlines.h"

#include <QSet>
#include <QtTest>

namespace {

using searchlines::ids;
using searchlines::line;
const auto allLines = searchlines::all;

QString labelOf(const finder::Probe &probe)
{
    return QStringLiteral("%1 %2").arg(probe.line.label()).arg(probe.slave);
}

} // namespace

class tst_probeplan : public QObject
{
    Q_OBJECT

private slots:
    void settingsFastestFirstTwoStopBitsFirst();
    void storedIdThenCurrentThenOthers();
    void onlyWhatWasAskedFor();
    void probeAndItsWait();
};

// The order decides how soon a display is found; the one at 38400 8N2 must come before the
// sweeps at the slower speeds.
void tst_probeplan::settingsFastestFirstTwoStopBitsFirst()
{
    QStringList order;
    for (const SerialSettings &setting : finder::searchOrder(line("19200,e,8,1")))
        order << setting.label();
    QCOMPARE(order, QStringList({"19200 8E1", "38400 8N2", "38400 8E1", "38400 8N1", "19200 8N2",
                                 "19200 8N1", "9600 8N2", "9600 8E1", "9600 8N1"}));
}

void tst_probeplan::storedIdThenCurrentThenOthers()
{
    const finder::ProbePlan plan(finder::everySlaveId(), allLines(), 5, line("9600,n,8,1"));
    const std::vector<finder::Probe> &probes = plan.probes();
    QCOMPARE(int(probes.size()), 9 * 247);
    QCOMPARE(plan.idCount(), 247);
    QCOMPARE(plan.lineCount(), 9);

    const std::vector<SerialSettings> order = finder::searchOrder(line("9600,n,8,1"));
    for (size_t i = 0; i < order.size(); ++i)
        QCOMPARE(labelOf(probes[i]), QStringLiteral("%1 5").arg(order[i].label()));
    // Then the current setting, every other ID in turn, then the next setting's.
    QCOMPARE(labelOf(probes[9]), QStringLiteral("9600 8N1 1"));
    QCOMPARE(labelOf(probes[12]), QStringLiteral("9600 8N1 4"));
    QCOMPARE(labelOf(probes[13]), QStringLiteral("9600 8N1 6"));
    QCOMPARE(labelOf(probes[9 + 245]), QStringLiteral("9600 8N1 247"));
    QCOMPARE(labelOf(probes[9 + 246]), QStringLiteral("38400 8N2 1"));
    QCOMPARE(labelOf(probes.back()), QStringLiteral("9600 8E1 247"));

    QSet<QString> distinct;
    for (const finder::Probe &probe : probes)
        distinct.insert(labelOf(probe));
    QCOMPARE(distinct.size(), 9 * 247);
    QCOMPARE(plan.request(200).at(0), char(200));
}

// A stored ID or current setting the user left out is not searched after all, a repeated ID
// is tried once and one outside 1-247 not at all.
void tst_probeplan::onlyWhatWasAskedFor()
{
    const finder::ProbePlan plan({3, 1, 3, 0, 248}, {line("38400,n,8,1"), line("38400,n,8,2")}, 9,
                                 line("9600,n,8,1"));
    QStringList labels;
    for (const finder::Probe &probe : plan.probes())
        labels << labelOf(probe);
    QCOMPARE(labels, QStringList({"38400 8N2 1", "38400 8N2 3", "38400 8N1 1", "38400 8N1 3"}));
    QCOMPARE(plan.idCount(), 2);
}

// Register count 0 and byte count 0: the display's registers are left as they are. The wait
// covers 9 + 8 bytes of 10 or 11 bits and 20 ms: 17.7 ms on the wire at 9600 8N1.
void tst_probeplan::probeAndItsWait()
{
    QCOMPARE(finder::probeRequest(1).toHex(' '), QByteArray("01 10 00 00 00 00 00 09 50"));
    const QByteArray last = finder::probeRequest(247);
    QCOMPARE(last.left(7).toHex(' '), QByteArray("f7 10 00 00 00 00 00"));
    QVERIFY(modbuscrc::hasValidCrc(last));
    QCOMPARE(finder::probeWaitMs(line("9600,n,8,1")), 38);
    QCOMPARE(finder::probeWaitMs(line("9600,e,8,1")), 40);
    QCOMPARE(finder::probeWaitMs(line("38400,n,8,2")), 25);
}

QTEST_GUILESS_MAIN(tst_probeplan)
#include "tst_probeplan.moc"
