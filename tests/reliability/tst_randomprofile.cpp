#include "cp1252.h"
#include "modini.h"
#include "privateprofile.h"

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

namespace {

constexpr quint32 seed = 0x494E4921;

// The file's lines as text, split independently of the reader under test: UTF-8 when the bytes
// are valid UTF-8 (an initial byte-order mark not counting), Windows-1252 otherwise. A line
// ends at LF. CRs at the end of a line count as part of its line break: a file that ends in a
// bare CR has it joined to the LF that a new line brings.
QStringList lineTexts(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = cp1252::decode(bytes);
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        while (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

/* One write changes the file by one entry: the key's own line replaced with its name part
 * kept, or a key line added, or a section line and a key line added. Empty text when that
 * holds, otherwise what changed. */
QString moreThanOneEntryChanged(const QStringList &before, const QStringList &after)
{
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const qsizetype removed = before.size() - head - tail;
    const qsizetype added = after.size() - head - tail;
    if (removed == 0 && added <= 2)
        return QString();
    if (removed == 1 && added == 1 &&
        before[head].section(QLatin1Char('='), 0, 0) == after[head].section(QLatin1Char('='), 0, 0))
        return QString();
    return QStringLiteral("from line %1, %2 lines became %3: \"%4\" -> \"%5\"")
        .arg(head)
        .arg(removed)
        .arg(added)
        .arg(before.mid(head, removed).join(QLatin1Char('|')).left(200),
             after.mid(head, added).join(QLatin1Char('|')).left(200));
}

// What a value reads back as: each line break stored as one blank.
QString onOneLine(QString value)
{
    value.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

qsizetype characterCount(const QString &text)
{
    return text.toUcs4().size();
}

QString pick(QRandomGenerator &random, const QStringList &list)
{
    return list.at(static_cast<qsizetype>(random.bounded(static_cast<quint32>(list.size()))));
}

int below(QRandomGenerator &random, int bound)
{
    return static_cast<int>(random.bounded(bound));
}

// Characters that mean something in the file, beyond ASCII, or outside the basic plane.
const QStringList specialPieces = {
    QStringLiteral(" "),      QStringLiteral("\t"),     QStringLiteral("\""),
    QStringLiteral("="),      QStringLiteral("["),      QStringLiteral("]"),
    QStringLiteral(";"),      QStringLiteral("#"),      QStringLiteral("'"),
    QStringLiteral("\\"),     QStringLiteral("\u00E9"), QStringLiteral("\u20AC"),
    QStringLiteral("\u00A0"), QStringLiteral("\u4E2D"), QStringLiteral("\U0001F600"),
    QString(QChar(0)),
};

QString randomText(QRandomGenerator &random, int length)
{
    QString text;
    for (int i = 0; i < length; ++i) {
        if (below(random, 10) < 7)
            text += QChar(static_cast<char16_t>(random.bounded(0x20, 0x7F)));
        else
            text += pick(random, specialPieces);
    }
    return text;
}

// Mostly short values; some up to the 254 characters a read returns, a few longer.
QString randomValue(QRandomGenerator &random)
{
    const int kind = below(random, 20);
    const int length = kind < 14   ? below(random, 21)
                       : kind < 19 ? static_cast<int>(random.bounded(21, 255))
                                   : static_cast<int>(random.bounded(255, 400));
    QString value = randomText(random, length);
    if (below(random, 10) == 0) {
        const QStringList breaks = {QStringLiteral("\n"), QStringLiteral("\r\n"),
                                    QStringLiteral("\r")};
        qsizetype at = below(random, static_cast<int>(value.size()) + 1);
        if (at > 0 && value.at(at - 1).isHighSurrogate())
            --at;
        value.insert(at, pick(random, breaks));
    }
    return value;
}

// A name as a person might type it again: other case, blanks around it.
QString variant(QRandomGenerator &random, const QString &name)
{
    QString typed;
    for (QChar c : name) {
        if (c.unicode() < 0x80 && c.isLetter() && random.bounded(2) == 0)
            typed += c.isUpper() ? c.toLower() : c.toUpper();
        else
            typed += c;
    }
    const QStringList blanks = {QString(), QString(), QStringLiteral(" "), QStringLiteral("\t"),
                                QStringLiteral("  ")};
    return pick(random, blanks) + typed + pick(random, blanks);
}

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

// Random names that can be stored: blanks only inside, no "]" in a section name, no "=" in a
// key name, no "[", ";" or "#" in front of a key name.
QStringList withRandomNames(QRandomGenerator &random, QStringList names, bool sectionNames)
{
    const QString inner = sectionNames ? QStringLiteral("aZ09 _-.+[;#=\"'\t\u00E9\u00DC")
                                       : QStringLiteral("aZ09 _-.+[;#]\"'\t\u00E9\u00DC");
    const QString first = QStringLiteral("abcXYZ\u00E9");
    while (names.size() < (sectionNames ? 8 : 16)) {
        QString name = first.at(below(random, static_cast<int>(first.size())));
        const int length = below(random, 12);
        for (int i = 0; i < length; ++i)
            name += inner.at(below(random, static_cast<int>(inner.size())));
        name = name.trimmed();
        const bool known = std::any_of(names.begin(), names.end(),
                                       [&](const QString &n) { return sameName(n, name); });
        if (!known)
            names << name;
    }
    return names;
}

} // namespace

/* The private-profile layer on files it did not write: random bytes, random lines and huge
 * lines. Reads never fail and change nothing; every write changes one entry and nothing
 * else; every value written reads back, through the layer and through modINI. */
class TestRandomProfile : public QObject
{
    Q_OBJECT

    QRandomGenerator m_random{seed};
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_sections;
    QStringList m_keys;
    int m_files = 0;
    int m_writes = 0;
    int m_reads = 0;
    int m_refused = 0;
    int m_twins = 0;
    int m_windowsForms = 0;
    QSet<int> m_usedSections;
    QSet<int> m_usedKeys;
    QList<QPair<int, int>> m_probes;

    QString path() const { return m_dir->filePath(QStringLiteral("pravix.ini")); }

    void writeRaw(const QByteArray &bytes) const
    {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray readRaw() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString readBack(const QString &section, const QString &key)
    {
        ++m_reads;
        return privateprofile::readValue(path(), section, key);
    }

    // A write with a name that cannot be stored is refused and leaves the file as it was.
    void refuseUnstorableName(const QString &context)
    {
        const QStringList badSections = {QString(), QStringLiteral("  "), QStringLiteral("a]b"),
                                         QStringLiteral("a\nb"), QStringLiteral("a\rb")};
        const QStringList badKeys = {QString(),
                                     QStringLiteral("a=b"),
                                     QStringLiteral("[a"),
                                     QStringLiteral(";a"),
                                     QStringLiteral("#a"),
                                     QStringLiteral("a\nb")};
        const bool badSection = m_random.bounded(2) == 0;
        const QString section = badSection ? pick(m_random, badSections) : m_sections.first();
        const QString key = badSection ? m_keys.first() : pick(m_random, badKeys);
        const QByteArray before = readRaw();
        QVERIFY2(!privateprofile::writeValue(path(), section, key, QStringLiteral("v")),
                 qPrintable(context));
        QVERIFY2(readRaw() == before, qPrintable(context));
        ++m_refused;
    }

    void exercise(const QByteArray &contents, int writes)
    {
        writeRaw(contents);
        ++m_files;
        const QString context =
            QStringLiteral("file %1 (%2 bytes, starting \"%3\")")
                .arg(m_files)
                .arg(contents.size())
                .arg(QString::fromLatin1(contents.left(60).toPercentEncoding(" []=;#\"'")));

        for (int i = 0; i < 4; ++i) {
            const QString section = variant(m_random, pick(m_random, m_sections));
            const QString key = variant(m_random, pick(m_random, m_keys));
            readBack(section, key);
            modINI::ReadIni(section, key);
        }
        QVERIFY2(readRaw() == contents, qPrintable(context + ": a read changed the file"));

        std::map<std::pair<int, int>, QString> expected;
        for (int w = 0; w < writes; ++w) {
            if (m_random.bounded(20) == 0) {
                refuseUnstorableName(context);
                continue;
            }
            const int s = below(m_random, static_cast<int>(m_sections.size()));
            const int k = below(m_random, static_cast<int>(m_keys.size()));
            const QString value = randomValue(m_random);
            const QString step =
                context +
                QStringLiteral(", write %1 [%2] %3").arg(w).arg(m_sections.at(s), m_keys.at(k));

            const QStringList before = lineTexts(readRaw());
            QVERIFY2(privateprofile::writeValue(path(), variant(m_random, m_sections.at(s)),
                                                variant(m_random, m_keys.at(k)), value),
                     qPrintable(step));
            ++m_writes;
            const QString changed = moreThanOneEntryChanged(before, lineTexts(readRaw()));
            QVERIFY2(changed.isEmpty(), qPrintable(step + QStringLiteral(": ") + changed));
            expected[{s, k}] = onOneLine(value);

            for (const auto &[where, text] : expected) {
                const QString section = variant(m_random, m_sections.at(where.first));
                const QString key = variant(m_random, m_keys.at(where.second));
                const QString what =
                    step + QStringLiteral(", reading [%1] %2")
                               .arg(m_sections.at(where.first), m_keys.at(where.second));
                QVERIFY2(readBack(section, key) == text, qPrintable(what));
                const QString viaModIni = modINI::ReadIni(section, key);
                if (characterCount(text) <= 254)
                    QVERIFY2(viaModIni == text, qPrintable(what));
                else
                    QVERIFY2(characterCount(viaModIni) == 254 && text.startsWith(viaModIni),
                             qPrintable(what));
            }
        }
    }

    // One line of a settings file; the names it uses are noted for reading them back.
    QString randomLine()
    {
        const int s = below(m_random, static_cast<int>(m_sections.size()));
        const int k = below(m_random, static_cast<int>(m_keys.size()));
        const QString section = variant(m_random, m_sections.at(s));
        const QString key = variant(m_random, m_keys.at(k));
        m_usedSections.insert(s);
        m_usedKeys.insert(k);
        const QString spaces =
            pick(m_random, {QString(), QStringLiteral(" "), QStringLiteral("\t ")});
        const QString text = randomText(m_random, below(m_random, 24));
        switch (below(m_random, 12)) {
        case 0:
        case 1:
            return spaces + QLatin1Char('[') + section + QLatin1Char(']') + spaces;
        case 2:
        case 3:
        case 4:
            return key + spaces + QLatin1Char('=') + spaces + text;
        case 5:
            return key + QLatin1Char('=') + QLatin1Char('"') + text + QLatin1Char('"');
        case 6:
            return key + QStringLiteral("=\"") + text;
        case 7:
            return spaces + pick(m_random, {QStringLiteral(";"), QStringLiteral("#")}) + text;
        case 8:
            return spaces;
        case 9:
            return pick(m_random, {QLatin1Char('[') + section, section + QLatin1Char(']'),
                                   QStringLiteral("[]"), QStringLiteral("=") + text, key,
                                   QStringLiteral("]x[")});
        case 10:
            return QLatin1Char('[') + section + QStringLiteral("] ") + key + QLatin1Char('=') +
                   text;
        default:
            return text;
        }
    }

    // Up to 30 lines ending in LF or CR LF, or now and then a bare CR, which ends no line.
    QString randomLinesText(bool bareCr)
    {
        QStringList endings = {QStringLiteral("\n"), QStringLiteral("\r\n")};
        if (bareCr)
            endings << QStringLiteral("\r");
        m_usedSections.clear();
        m_usedKeys.clear();
        QString text;
        const int lineCount = below(m_random, 31);
        for (int i = 0; i < lineCount; ++i) {
            text += randomLine();
            if (i + 1 < lineCount || m_random.bounded(3) != 0)
                text += pick(m_random, endings);
        }
        return text;
    }

    QByteArray encodedRandomly(const QString &text)
    {
        switch (below(m_random, 8)) {
        case 0:
            return cp1252::encode(text);
        case 1:
            return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
        case 2: {
            // One byte that is no UTF-8 anywhere makes the whole file Windows-1252.
            QByteArray bytes = text.toUtf8();
            bytes.insert(below(m_random, static_cast<int>(bytes.size()) + 1), '\xFF');
            return bytes;
        }
        default:
            return text.toUtf8();
        }
    }

    // Values of names the text uses: sixteen pairs of a section and a key, drawn once per text.
    QStringList valuesOfUsedNames(const QByteArray &contents)
    {
        writeRaw(contents);
        QStringList values;
        for (const auto &[s, k] : std::as_const(m_probes))
            values << readBack(m_sections.at(s), m_keys.at(k));
        return values;
    }

    void drawProbes()
    {
        const QList<int> sections = m_usedSections.values();
        const QList<int> keys = m_usedKeys.values();
        m_probes.clear();
        for (int i = 0; i < 16 && !sections.isEmpty(); ++i) {
            m_probes.append({sections.at(below(m_random, static_cast<int>(sections.size()))),
                             keys.at(below(m_random, static_cast<int>(keys.size())))});
        }
    }

    /* The same text reads the same whatever its form: LF or CR LF line ends, with or without
     * a byte-order mark, UTF-8 or Windows-1252 (for the text as Windows-1252 can hold it). */
    void sameValuesInEveryForm(const QString &text)
    {
        const auto describe = [](const char *form, const QByteArray &bytes) {
            return QStringLiteral("%1 of \"%2\"")
                .arg(QLatin1String(form),
                     QString::fromLatin1(bytes.toPercentEncoding(" []=;#\"'")));
        };
        drawProbes();
        const QByteArray utf8 = text.toUtf8();
        const QStringList expected = valuesOfUsedNames(utf8);
        QString lfText = text;
        lfText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QVERIFY2(valuesOfUsedNames(lfText.toUtf8()) == expected,
                 qPrintable(describe("LF line ends", utf8)));
        QVERIFY2(valuesOfUsedNames(QByteArray("\xEF\xBB\xBF") + utf8) == expected,
                 qPrintable(describe("byte-order mark", utf8)));

        const QByteArray windows = cp1252::encode(text);
        const QString held = cp1252::decode(windows);
        QStringDecoder asUtf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = asUtf8.decode(windows);
        // Bytes that happen to be valid UTF-8 are read as UTF-8, as they should be.
        if (asUtf8.hasError()) {
            QVERIFY2(valuesOfUsedNames(windows) == valuesOfUsedNames(held.toUtf8()),
                     qPrintable(describe("Windows-1252", windows)));
            ++m_windowsForms;
        }
        ++m_twins;
    }

    QByteArray randomBytes(int size, const QByteArray &alphabet = QByteArray())
    {
        QByteArray bytes(size, '\0');
        for (char &byte : bytes) {
            byte = alphabet.isEmpty()
                       ? static_cast<char>(m_random.bounded(256))
                       : alphabet.at(below(m_random, static_cast<int>(alphabet.size())));
        }
        return bytes;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        modINI::setIniFilePath(path());
        m_files = m_writes = m_reads = m_refused = m_twins = m_windowsForms = 0;
    }

    void cleanup()
    {
        modINI::setIniFilePath(QString());
        m_dir.reset();
    }

    void initTestCase()
    {
        m_sections = withRandomNames(m_random, {"Settings", "LCD", "Ports"}, true);
        m_keys = withRandomNames(
            m_random,
            {"CommPort", "Setting", "Slave", "row1", "row2", "row3", "row4", "row5", "row6", "1"},
            false);
    }

    void randomBytesFiles()
    {
        const QByteArray iniAlphabet =
            QByteArray("[]=;#\"' \t\r\n\r\nabLCDSettingsCommPortrow1\xE9\xFF") +
            QByteArray(1, '\0');
        for (int i = 0; i < 400; ++i) {
            const int size = below(m_random, 2049);
            exercise(i % 2 == 0 ? randomBytes(size) : randomBytes(size, iniAlphabet),
                     1 + below(m_random, 6));
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d files of random bytes: %d writes, %d reads, %d unstorable names refused", m_files,
              m_writes, m_reads, m_refused);
    }

    void randomLineFiles()
    {
        for (int i = 0; i < 400; ++i) {
            const bool twins = i % 2 == 0;
            const QString text = randomLinesText(!twins);
            if (twins)
                sameValuesInEveryForm(text);
            if (!QTest::currentTestFailed())
                exercise(encodedRandomly(text), 1 + below(m_random, 8));
            if (QTest::currentTestFailed())
                return;
        }
        qInfo("%d files of random lines (%d of them also read in other forms, %d as "
              "Windows-1252): %d writes, %d reads, %d unstorable names refused",
              m_files, m_twins, m_windowsForms, m_writes, m_reads, m_refused);
    }

    void hugeLines_data()
    {
        QTest::addColumn<QByteArray>("contents");
        const QByteArray big(1 << 20, 'x');
        const QByteArray tail("\n[LCD]\nSlave=7\nrow1=kept\n");
        QTest::newRow("huge value of a key the program writes")
            << "[Settings]\nCommPort=" + big + "\nSetting=9600,n,8,1" + tail;
        QTest::newRow("huge comment") << "; " + big + "\n[Settings]\r\nCommPort=3\r\n" + tail;
        QTest::newRow("huge section name") << "[" + big.left(1 << 19) + "]\nCommPort=1" + tail;
        QTest::newRow("huge key name") << "[Settings]\n" + big.left(1 << 19) + "=v" + tail;
        QTest::newRow("huge line without any break") << QByteArray(2 << 20, '[');
        QTest::newRow("huge line of random bytes") << randomBytes(1 << 20) + tail;
        QByteArray manyLines;
        for (int i = 0; i < 50000; ++i)
            manyLines += "k" + QByteArray::number(i) + "=" + QByteArray::number(i * 7) + "\r\n";
        QTest::newRow("fifty thousand lines") << "[Settings]\r\n" + manyLines + tail;
    }

    void hugeLines()
    {
        QFETCH(QByteArray, contents);
        exercise(contents, 3);
        if (QTest::currentTestFailed())
            return;
        // A value far beyond what a read returns: the layer keeps it whole, modINI cuts it.
        const QString longValue = QString(300000, QLatin1Char('v'));
        QVERIFY(privateprofile::writeValue(path(), "LCD", "row6", longValue));
        QCOMPARE(privateprofile::readValue(path(), "LCD", "row6"), longValue);
        QCOMPARE(modINI::ReadIni("LCD", "row6"), longValue.left(254));
        qInfo("%lld bytes, %d writes, %d reads", static_cast<long long>(contents.size()),
              m_writes + 1, m_reads);
    }
};

QTEST_GUILESS_MAIN(TestRandomProfile)
#include "tst_randomprofile.moc"
