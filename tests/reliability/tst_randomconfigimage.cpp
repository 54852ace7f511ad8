#include "combolist.h"
#include "configimage.h"
#include "configwindowline.h"
#include "frmconfiglcd.h"
#include "messagebox.h"
#include "modini.h"
#include "modvariables.h"
#include "ptypair.h"
#include "tempsettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

constexpr quint32 seed = 0x4C434431;

using Messages = std::array<QString, ConfigImage::MessageCount>;

// Characters a person may type: ASCII, blanks at either end, quotes, Windows-1252 letters and
// characters the display cannot show (one outside the basic plane).
const QStringList messagePieces = {
    QStringLiteral(" "),      QStringLiteral("\""),     QStringLiteral("="),
    QStringLiteral(";"),      QStringLiteral("\u00E9"), QStringLiteral("\u20AC"),
    QStringLiteral("\u00DF"), QStringLiteral("\u4E2D"), QStringLiteral("\U0001F600"),
};

int below(QRandomGenerator &random, int bound)
{
    return static_cast<int>(random.bounded(bound));
}

// Up to 20 characters: the image must hold even when a text is longer than a box allows.
QString randomMessage(QRandomGenerator &random)
{
    QString message;
    const int length = below(random, 21);
    for (int i = 0; i < length; ++i) {
        if (below(random, 4) != 0)
            message += QChar(static_cast<char16_t>(random.bounded(0x20, 0x7F)));
        else
            message += messagePieces.at(below(random, static_cast<int>(messagePieces.size())));
    }
    return message;
}

// A list's position, now and then none (text typed over the list).
int randomPosition(QRandomGenerator &random, int entries, int nonePercent)
{
    return below(random, 100) < nonePercent ? -1 : below(random, entries);
}

ConfigChoices randomChoices(QRandomGenerator &random)
{
    ConfigChoices c;
    c.baudRate = randomPosition(random, 3, 20);
    c.dataFormat = randomPosition(random, 3, 20);
    c.slaveId = randomPosition(random, 247, 10);
    c.decimalPoint1 = randomPosition(random, 5, 10);
    c.decimalPoint2 = randomPosition(random, 5, 10);
    c.startPoint1 = randomPosition(random, 14, 10);
    c.startPoint2 = randomPosition(random, 14, 10);
    c.startupScreen1 = randomPosition(random, 7, 10);
    c.startupScreen2 = randomPosition(random, 7, 10);
    c.width1 = randomPosition(random, 5, 10);
    c.width2 = randomPosition(random, 5, 10);
    return c;
}

/* The properties every image on the wire has, whatever was chosen; empty text when they hold.
 * Byte 107 is the sum of bytes 0-106 and byte 108 its complement, so bytes 0-106 together with
 * byte 108 add up to a multiple of 256, and so do bytes 107 and 108. */
QString wrongImage(const QByteArray &image)
{
    if (image.size() != ConfigImage::Size)
        return QStringLiteral("%1 bytes").arg(image.size());
    if (image.at(109) != '\0')
        return QStringLiteral("byte 109 is %1").arg(static_cast<quint8>(image.at(109)));
    int sum = 0;
    for (int i = 0; i <= 106; ++i)
        sum += static_cast<quint8>(image.at(i));
    const int checksum = static_cast<quint8>(image.at(107));
    const int complement = static_cast<quint8>(image.at(108));
    if ((sum + complement) % 256 != 0)
        return QStringLiteral("bytes 0-106 sum to %1, byte 108 is %2").arg(sum).arg(complement);
    if ((checksum + complement) % 256 != 0)
        return QStringLiteral("bytes 107 and 108 are %1 and %2").arg(checksum).arg(complement);
    return QString();
}

// A box holding 16 UTF-16 units can end in half of a character pair; that half is no
// character, and the file and the display both get "?" for it.
QString asStored(const QString &text)
{
    QString stored;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (pair) {
            stored += c;
            stored += text.at(++i);
        } else {
            stored += c.isSurrogate() ? QChar(u'?') : c;
        }
    }
    return stored;
}

QString describe(const ConfigChoices &c, const Messages &messages)
{
    return QStringLiteral("choices %1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11, messages \"%12\"")
        .arg(c.baudRate)
        .arg(c.dataFormat)
        .arg(c.slaveId)
        .arg(c.decimalPoint1)
        .arg(c.decimalPoint2)
        .arg(c.startPoint1)
        .arg(c.startPoint2)
        .arg(c.startupScreen1)
        .arg(c.startupScreen2)
        .arg(c.width1)
        .arg(c.width2)
        .arg(QStringList(messages.begin(), messages.end()).join(QStringLiteral("\", \"")));
}

} // namespace

/* The configuration image for random choices and messages, first as the builder makes it
 * upload after upload, then as the configuration window puts it on a real line: always 110
 * bytes, byte 109 zero, the checksum bytes matching bytes 0-106. */
class TestRandomConfigImage : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigWindowLine> m_line;

    QStringList &shown() { return m_line->messages.texts; }

private slots:
    void init()
    {
        m_line = std::make_unique<ConfigWindowLine>();
        QVERIFY(m_line->isValid());
    }

    void cleanup() { m_line.reset(); }

    void imageAfterImage()
    {
        QRandomGenerator random(seed);
        constexpr int uploads = 20000;
        ConfigImage kept;
        int zeroSums = 0;
        for (int n = 0; n < uploads; ++n) {
            Messages messages;
            for (QString &message : messages)
                message = randomMessage(random);
            const ConfigChoices choices = randomChoices(random);
            const QString context =
                QStringLiteral("upload %1: ").arg(n) + describe(choices, messages);

            const QByteArray previous = kept.toByteArray();
            kept.writeMessages(messages);
            kept.writeChoices(choices);
            kept.writeChecksum();
            const QByteArray image = kept.toByteArray();
            const QString wrong = wrongImage(image);
            QVERIFY2(wrong.isEmpty(), qPrintable(context + QStringLiteral(": ") + wrong));
            zeroSums += image.at(107) == '\0' ? 1 : 0;

            // Only the two codes of lists without a choice depend on earlier uploads.
            ConfigImage fresh;
            fresh.writeMessages(messages);
            fresh.writeChoices(choices);
            fresh.writeChecksum();
            const QByteArray alone = fresh.toByteArray();
            QVERIFY2(wrongImage(alone).isEmpty(), qPrintable(context));
            QVERIFY2(alone.left(96) == image.left(96) && alone.mid(98, 9) == image.mid(98, 9),
                     qPrintable(context));
            QVERIFY2(image.at(96) == (choices.baudRate < 0 ? previous.at(96) : alone.at(96)),
                     qPrintable(context));
            QVERIFY2(image.at(97) == (choices.dataFormat < 0 ? previous.at(97) : alone.at(97)),
                     qPrintable(context));
        }
        qInfo("%d random images built one after another on the same image, %d of them with a "
              "byte sum of 0",
              uploads, zeroSums);
        QVERIFY(zeroSums > 0);
    }

    void uploadsOnTheLine()
    {
        QRandomGenerator random(seed + 1);
        constexpr int uploads = 200;
        const QStringList lists = {"cboBR",  "cboDF", "cboSID", "cboDP1",    "cboDP2",   "cboSP1",
                                   "cboSP2", "cboW1", "cboW2",  "cboSpage1", "cboSpage2"};
        // Without a choice in one of these, nothing may be sent or saved.
        const QStringList required = {"cboSID", "cboW1",  "cboW2",     "cboDP1",   "cboDP2",
                                      "cboSP1", "cboSP2", "cboSpage1", "cboSpage2"};

        frmConfigLCD window;
        window.showFromMenu();
        QVERIFY(window.isLoaded());
        auto *send = window.findChild<QPushButton *>("cmdConfig");
        QVERIFY(send);
        int sent = 0;
        int refused = 0;
        for (int n = 0; n < uploads; ++n) {
            QString context = QStringLiteral("upload %1:").arg(n);
            bool complete = true;
            for (const QString &name : lists) {
                auto *box = window.findChild<QComboBox *>(name);
                QVERIFY2(box, qPrintable(name));
                const bool isRequired = required.contains(name);
                const int position = randomPosition(random, box->count(), isRequired ? 3 : 20);
                combolist::choose(box, position);
                context += QStringLiteral(" %1=%2").arg(name).arg(position);
                complete = complete && (position >= 0 || !isRequired);
            }
            QStringList texts;
            for (int i = 0; i < ConfigImage::MessageCount; ++i) {
                auto *box = window.findChild<QLineEdit *>(QStringLiteral("txtMessage_%1").arg(i));
                QVERIFY2(box, qPrintable(context));
                box->setText(randomMessage(random));
                texts << box->text();
            }
            context += QStringLiteral(" messages \"%1\"").arg(texts.join(QStringLiteral("\", \"")));
            modVariables::UseRts = random.bounded(10) == 0;
            const QByteArray settingsBefore = m_line->settings.readRaw();
            shown().clear();

            QTest::mouseClick(send, Qt::LeftButton);

            if (!complete) {
                ++refused;
                QVERIFY2(shown().size() == 1, qPrintable(context));
                QVERIFY2(m_line->pty.readFar(1, 0).isEmpty(), qPrintable(context));
                QVERIFY2(m_line->settings.readRaw() == settingsBefore, qPrintable(context));
                continue;
            }
            ++sent;
            QVERIFY2(shown().isEmpty(), qPrintable(context + QLatin1Char(' ') + shown().join('|')));
            // Every byte has reached the line when the click returns; nothing follows.
            const QByteArray image = m_line->pty.readFar(ConfigImage::Size);
            QVERIFY2(m_line->pty.readFar(1, 0).isEmpty(), qPrintable(context));
            const QString wrong = wrongImage(image);
            QVERIFY2(wrong.isEmpty(), qPrintable(context + QStringLiteral(": ") + wrong));

            const int slave = combolist::position(window.findChild<QComboBox *>("cboSID")) + 1;
            QVERIFY2(modINI::ReadIni("LCD", "Slave") == QString::number(slave),
                     qPrintable(context));
            for (int i = 0; i < ConfigImage::MessageCount; ++i) {
                const QString stored = modINI::ReadIni("LCD", QStringLiteral("row%1").arg(i + 1));
                QVERIFY2(stored == asStored(texts.at(i)),
                         qPrintable(context +
                                    QStringLiteral(": row%1 reads \"%2\"").arg(i + 1).arg(stored)));
            }
        }
        qInfo("%d random uploads through the window: %d images on the line, %d refused for a "
              "list without a choice",
              uploads, sent, refused);
        QVERIFY(sent > 0 && refused > 0);
    }
};

QTEST_MAIN(TestRandomConfigImage)
#include "tst_randomconfigimage.moc"
