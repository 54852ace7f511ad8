#include "commerror.h"
#include "fakeserialdevice.h"
#include "mscomm.h"
#include "portmap.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QtTest>

#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

using Kind = FakeSerialDevice::Kind;
using Operation = FakeSerialDevice::Operation;

namespace {

//! 110 bytes with every troublesome value a terminal layer could eat or add.
QByteArray awkwardBytes()
{
    QByteArray bytes = QByteArray::fromHex("000A0D0D0A1113037F1A04FF8000");
    for (int i = 0; bytes.size() < 110; ++i)
        bytes.append(static_cast<char>((i * 37 + 11) & 0xFF));
    return bytes;
}

//! The message of the CommError the call throws, or empty text when it throws none.
template <typename Call> QString commErrorOf(Call call)
{
    try {
        call();
    } catch (const CommError &error) {
        return error.message().isEmpty() ? QStringLiteral("(empty message)") : error.message();
    }
    return QString();
}

//! A settings file that maps port number 5 to the pseudo-terminal.
void mapPortFive(const TempSettings &settings, const PtyPair &pty)
{
    settings.writeRaw("[Ports]\r\n5=" + pty.devicePath().toLocal8Bit() + "\r\n");
}

} // namespace

class TestMSComm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MSComm> m_comm;
    FakeSerialDevice *m_fake = nullptr;

    //! An MSComm over a fresh fake device, opened at the given settings.
    void openFake(const QString &settings = QStringLiteral("9600,n,8,1"))
    {
        auto device = std::make_unique<FakeSerialDevice>();
        m_fake = device.get();
        m_comm = std::make_unique<MSComm>(portmap::devicePath, std::move(device));
        m_comm->setSettings(settings);
        m_comm->setPortOpen(true);
        m_fake->clearEvents();
    }

private slots:
    void cleanup()
    {
        m_comm.reset();
        m_fake = nullptr;
    }

    // ---- with a fake device ----

    void settingsReachTheDeviceAtOpen_data()
    {
        QTest::addColumn<QString>("settings");
        for (const char *baud : {"9600", "19200", "38400"}) {
            for (const char *format : {"n,8,1", "n,8,2", "e,8,1"}) {
                const QString text = QString::fromLatin1(baud) + ',' + QString::fromLatin1(format);
                QTest::newRow(qPrintable(text)) << text;
            }
        }
    }

    void settingsReachTheDeviceAtOpen()
    {
        QFETCH(QString, settings);
        TempSettings file;
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice *fake = device.get();
        MSComm comm(portmap::devicePath, std::move(device));
        comm.setCommPort(4);
        comm.setSettings(settings);
        QVERIFY(fake->events().isEmpty());
        QCOMPARE(comm.settings(), settings);

        comm.setPortOpen(true);
        QVERIFY(comm.portOpen());
        QCOMPARE(fake->events().first().kind, Kind::Open);
        QCOMPARE(fake->events().first().path, portmap::devicePath(4));
        QCOMPARE(fake->events().first().settings, settings);
    }

    void badSettingsChangeNothing_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("empty") << "";
        QTest::newRow("baud only") << "19200,";
        QTest::newRow("unknown baud") << "115200,n,8,1";
        QTest::newRow("odd parity") << "9600,o,8,1";
        QTest::newRow("upper case") << "9600,N,8,1";
        QTest::newRow("blank") << "9600,n,8,1 ";
    }

    void badSettingsChangeNothing()
    {
        QFETCH(QString, bad);
        TempSettings file;
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice *fake = device.get();
        MSComm comm(portmap::devicePath, std::move(device));
        comm.setSettings(QStringLiteral("38400,n,8,2"));

        QVERIFY(!commErrorOf([&] { comm.setSettings(bad); }).isEmpty());
        QCOMPARE(comm.settings(), QStringLiteral("38400,n,8,2"));
        comm.setPortOpen(true);
        QCOMPARE(fake->events().first().settings, QStringLiteral("38400,n,8,2"));
    }

    void portAndSettingsAreLockedWhileOpen()
    {
        TempSettings file;
        openFake(QStringLiteral("19200,e,8,1"));
        QVERIFY(!commErrorOf([&] { m_comm->setSettings(QStringLiteral("9600,n,8,1")); }).isEmpty());
        QVERIFY(!commErrorOf([&] { m_comm->setCommPort(2); }).isEmpty());
        QCOMPARE(m_comm->settings(), QStringLiteral("19200,e,8,1"));
        QCOMPARE(m_comm->commPort(), 1);
    }

    void portNumbersStartAtOne()
    {
        MSComm comm(portmap::devicePath, std::make_unique<FakeSerialDevice>());
        comm.setCommPort(3);
        QVERIFY(!commErrorOf([&] { comm.setCommPort(0); }).isEmpty());
        QCOMPARE(comm.commPort(), 3);
    }

    void closedPortRefusesInputAndOutput()
    {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice *fake = device.get();
        MSComm comm(portmap::devicePath, std::move(device));
        fake->receive("\x01\x02");

        QVERIFY(!commErrorOf([&] { comm.output("\x01"); }).isEmpty());
        QVERIFY(!commErrorOf([&] { comm.inBufferCount(); }).isEmpty());
        QVERIFY(!commErrorOf([&] { comm.input(); }).isEmpty());
        QVERIFY(commErrorOf([&] { comm.setPortOpen(false); }).isEmpty());
        QVERIFY(commErrorOf([&] { comm.setRTSEnable(false); }).isEmpty());
        QVERIFY(fake->events().isEmpty());
    }

    void closingAClosedPortIsNoError()
    {
        TempSettings file;
        openFake();
        m_comm->setPortOpen(false);
        QVERIFY(commErrorOf([&] { m_comm->setPortOpen(false); }).isEmpty());
        QVERIFY(!m_comm->portOpen());
        QCOMPARE(m_fake->kinds(), QList<Kind>{Kind::Close});
    }

    void devicePathFollowsThePortsSection_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        const QByteArray ports = "[Settings]\r\nCommPort=2\r\n[Ports]\r\n1=/dev/ttyUSB0\r\n"
                                 "3=/dev/ttyACM1\r\n";
#if defined(Q_OS_WIN)
        QTest::newRow("mapped port ignored") << ports << 1 << "COM1";
        QTest::newRow("port 20") << QByteArray() << 20 << "COM20";
#else
        QTest::newRow("mapped 1") << ports << 1 << "/dev/ttyUSB0";
        QTest::newRow("mapped 3") << ports << 3 << "/dev/ttyACM1";
        QTest::newRow("unmapped 2") << ports << 2 << "/dev/ttyS1";
        QTest::newRow("unmapped 20") << ports << 20 << "/dev/ttyS19";
        QTest::newRow("no file, 1") << QByteArray() << 1 << "/dev/ttyS0";
        QTest::newRow("empty value") << QByteArray("[Ports]\r\n4=\r\n") << 4 << "/dev/ttyS3";
        QTest::newRow("other section")
            << QByteArray("[Settings]\r\n4=/dev/ttyUSB4\r\n") << 4 << "/dev/ttyS3";
#endif
    }

    void devicePathFollowsThePortsSection()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, port);
        QFETCH(QString, path);
        TempSettings settings;
        if (!file.isEmpty())
            settings.writeRaw(file);
        QCOMPARE(portmap::devicePath(port), path);
    }

    void rtsFramesTheWriteInOrder()
    {
        TempSettings file;
        openFake();
        const QByteArray frame = QByteArray::fromHex("010600010003980B");
        m_comm->setRTSEnable(true);
        m_comm->output(frame);
        m_comm->setRTSEnable(false);

        const QList<Kind> expected{Kind::Rts, Kind::Write, Kind::Drain, Kind::Rts};
        QCOMPARE(m_fake->kinds(), expected);
        QCOMPARE(m_fake->events().at(0).high, true);
        QCOMPARE(m_fake->events().at(1).bytes, frame);
        QCOMPARE(m_fake->events().at(3).high, false);
    }

    void rtsOutlastsTheTransmitTime_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QList<int>>("writes");
        QTest::addColumn<qint64>("minimumNs");
        // bits per character x bytes / baud
        QTest::newRow("8 bytes 8N1") << "9600,n,8,1" << QList<int>{8} << qint64(8333333);
        QTest::newRow("110 bytes 8N1") << "9600,n,8,1" << QList<int>{110} << qint64(114583333);
        QTest::newRow("110 bytes 8E1") << "9600,e,8,1" << QList<int>{110} << qint64(126041666);
        QTest::newRow("110 bytes 19200 8N2")
            << "19200,n,8,2" << QList<int>{110} << qint64(63020833);
        QTest::newRow("two writes back to back")
            << "9600,n,8,1" << QList<int>{55, 55} << qint64(114583333);
    }

    void rtsOutlastsTheTransmitTime()
    {
        QFETCH(QString, settings);
        QFETCH(QList<int>, writes);
        QFETCH(qint64, minimumNs);
        TempSettings file;
        openFake(settings);
        m_comm->setRTSEnable(true);
        const qint64 firstWriteBegins = m_fake->now();
        for (int size : writes)
            m_comm->output(QByteArray(size, '\x55'));
        m_comm->setRTSEnable(false);

        const FakeSerialDevice::Event &lowered = m_fake->events().last();
        QCOMPARE(lowered.kind, Kind::Rts);
        QCOMPARE(lowered.high, false);
        QVERIFY2(
            lowered.at - firstWriteBegins >= minimumNs,
            qPrintable(QStringLiteral("RTS fell after %1 ns").arg(lowered.at - firstWriteBegins)));
    }

    void rtsLevelIsAppliedAtOpen_data()
    {
        QTest::addColumn<bool>("high");
        QTest::newRow("low") << false;
        QTest::newRow("high") << true;
    }

    void rtsLevelIsAppliedAtOpen()
    {
        QFETCH(bool, high);
        TempSettings file;
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice *fake = device.get();
        MSComm comm(portmap::devicePath, std::move(device));
        comm.setRTSEnable(high);
        comm.setPortOpen(true);
        QCOMPARE(fake->kinds(), (QList<Kind>{Kind::Open, Kind::Rts}));
        QCOMPARE(fake->rts(), high);
    }

    void failedOpenLeavesThePortClosed_data()
    {
        QTest::addColumn<Operation>("failing");
        QTest::newRow("open") << Operation::Open;
        QTest::newRow("rts") << Operation::Rts;
    }

    void failedOpenLeavesThePortClosed()
    {
        QFETCH(Operation, failing);
        TempSettings file;
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice *fake = device.get();
        MSComm comm(portmap::devicePath, std::move(device));
        fake->failNext(failing);
        QVERIFY(!commErrorOf([&] { comm.setPortOpen(true); }).isEmpty());
        QVERIFY(!comm.portOpen());
        QVERIFY(!fake->isOpen());

        comm.setPortOpen(true);
        QVERIFY(comm.portOpen());
    }

    // ---- with a real pseudo-terminal ----

    void outputArrivesWholeAndInOrder_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::newRow("9600,n,8,1") << "9600,n,8,1";
        QTest::newRow("19200,n,8,2") << "19200,n,8,2";
        QTest::newRow("38400,e,8,1") << "38400,e,8,1";
    }

    void outputArrivesWholeAndInOrder()
    {
        QFETCH(QString, settings);
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm comm(portmap::devicePath);
        comm.setCommPort(5);
        comm.setSettings(settings);
        comm.setPortOpen(true);

        const QByteArray bytes = awkwardBytes();
        comm.output(bytes);
        QCOMPARE(pty.readFar(bytes.size()), bytes);
        QCOMPARE(pty.readFar(1, 100), QByteArray());
    }

    void inputReturnsEveryWaitingByte_data()
    {
        QTest::addColumn<bool>("eventLoopRuns");
        QTest::newRow("event loop runs") << true;
        QTest::newRow("no event loop") << false;
    }

    void inputReturnsEveryWaitingByte()
    {
        QFETCH(bool, eventLoopRuns);
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm comm(portmap::devicePath);
        comm.setCommPort(5);
        comm.setInputMode(1);
        comm.setPortOpen(true);
        QCOMPARE(comm.inBufferCount(), 0);

        // Without the event loop nothing reaches the port's own buffer in the background, so
        // only what the operating system holds can be counted.
        const auto countReaches = [&](int count) {
            if (eventLoopRuns)
                return QTest::qWaitFor([&] { return comm.inBufferCount() == count; });
            QElapsedTimer clock;
            clock.start();
            while (comm.inBufferCount() != count && clock.elapsed() < 5000)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return comm.inBufferCount() == count;
        };

        const QByteArray first = QByteArray::fromHex("0000010600010003980B00");
        pty.writeFar(first);
        QVERIFY(countReaches(int(first.size())));
        const QByteArray second = awkwardBytes();
        pty.writeFar(second);
        QVERIFY(countReaches(int(first.size() + second.size())));

        QCOMPARE(comm.input(), first + second);
        QCOMPARE(comm.inBufferCount(), 0);
        QCOMPARE(comm.input(), QByteArray());
    }

    void missingDeviceIsNamedInTheError()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("ttyGone"));
        TempSettings file;
        file.writeRaw("[Ports]\r\n7=" + missing.toLocal8Bit() + "\r\n");
        MSComm comm(portmap::devicePath);
        comm.setCommPort(7);

        const QString message = commErrorOf([&] { comm.setPortOpen(true); });
        QVERIFY2(message.startsWith(missing + QStringLiteral(": ")), qPrintable(message));
        QVERIFY(message.size() > missing.size() + 2);
        QVERIFY(!comm.portOpen());
    }

    void aHeldPortCannotBeOpenedTwice()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm holder(portmap::devicePath);
        holder.setCommPort(5);
        holder.setPortOpen(true);
        MSComm other(portmap::devicePath);
        other.setCommPort(5);

        QVERIFY(!commErrorOf([&] { other.setPortOpen(true); }).isEmpty());
        QVERIFY(!other.portOpen());
        holder.output("held");
        QCOMPARE(pty.readFar(4), QByteArray("held"));

        holder.setPortOpen(false);
        other.setPortOpen(true);
        other.output("free");
        QCOMPARE(pty.readFar(4), QByteArray("free"));
    }

    void rtsWithoutALineIsSkipped()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm comm(portmap::devicePath);
        comm.setCommPort(5);
        comm.setRTSEnable(true);
        comm.setPortOpen(true);

        const QByteArray frame = QByteArray::fromHex("01050000FF008C3A");
        comm.output(frame);
        comm.setRTSEnable(false);
        comm.setRTSEnable(true);
        QCOMPARE(pty.readFar(frame.size()), frame);
    }

    void pulledDeviceFails_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("inBufferCount") << "inBufferCount";
        QTest::newRow("input") << "input";
        QTest::newRow("output") << "output";
        QTest::newRow("lowering RTS after output") << "rts";
    }

    void pulledDeviceFails()
    {
        QFETCH(QString, operation);
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm comm(portmap::devicePath);
        comm.setCommPort(5);
        comm.setPortOpen(true);
        if (operation == QLatin1String("rts")) {
            comm.setRTSEnable(true);
            comm.output("\x01\x02");
        }

        pty.closeFar();
        const auto call = [&] {
            if (operation == QLatin1String("inBufferCount"))
                comm.inBufferCount();
            else if (operation == QLatin1String("input"))
                comm.input();
            else if (operation == QLatin1String("output"))
                comm.output(QByteArray::fromHex("010600010003980B"));
            else
                comm.setRTSEnable(false);
        };
        QVERIFY(!commErrorOf(call).isEmpty());
        QVERIFY(!commErrorOf(call).isEmpty());

        QVERIFY(commErrorOf([&] { comm.setPortOpen(false); }).isEmpty());
        QVERIFY(!comm.portOpen());
    }

    void pulledDeviceLeavesTheEventLoopIdle()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        TempSettings file;
        mapPortFive(file, pty);
        MSComm comm(portmap::devicePath);
        comm.setCommPort(5);
        comm.setPortOpen(true);

        pty.closeFar();
        // A port that keeps reading a hung-up device burns a whole core; an idle loop uses next
        // to none. A busy machine can only make this pass, never fail.
        const std::clock_t cpuBefore = std::clock();
        QElapsedTimer wall;
        wall.start();
        QTest::qWait(300);
        const qint64 cpuMs = qint64(std::clock() - cpuBefore) * 1000 / CLOCKS_PER_SEC;
        QVERIFY2(cpuMs * 2 < wall.elapsed(), qPrintable(QStringLiteral("%1 ms busy").arg(cpuMs)));

        QVERIFY(comm.portOpen());
        QVERIFY(!commErrorOf([&] { comm.inBufferCount(); }).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMSComm)
#include "tst_mscomm.moc"
