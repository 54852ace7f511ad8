#include "privateprofile.h"

#include "profiletext.h"

namespace privateprofile {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

bool storableSection(const QString &name)
{
    return !name.isEmpty() && !hasLineBreak(name) && !name.contains(QLatin1Char(']'));
}

bool storableKey(const QString &name)
{
    return !name.isEmpty() && !hasLineBreak(name) && !name.contains(QLatin1Char('=')) &&
           !name.startsWith(QLatin1Char('[')) && !name.startsWith(QLatin1Char(';')) &&
           !name.startsWith(QLatin1Char('#'));
}

/* What one line holds, as views into the line's text: a file is read far more often than a
 * value is taken from it, so nothing is copied until a value is found. */
struct ParsedLine
{
    enum class Kind { Other, Section, Entry };

    Kind kind = Kind::Other;
    //! Section name or key name, without surrounding blanks.
    QStringView name;
    //! Where the value begins (past "=" and the blanks after it); entries only.
    qsizetype valueStart = 0;
    //! The value without surrounding blanks and without one enclosing pair of quotes.
    QStringView value;
};

QStringView unquoted(QStringView value)
{
    const QLatin1Char quote('"');
    if (value.size() >= 2 && value.startsWith(quote) && value.endsWith(quote))
        return value.mid(1, value.size() - 2);
    return value;
}

ParsedLine parse(QStringView line)
{
    ParsedLine parsed;
    const QStringView trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
        trimmed.startsWith(QLatin1Char('#')))
        return parsed;

    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close > 0) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = trimBlanks(trimmed.mid(1, close - 1));
        }
        return parsed;
    }

    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return parsed;
    parsed.kind = ParsedLine::Kind::Entry;
    parsed.name = trimBlanks(line.left(equals));
    parsed.valueStart = equals + 1;
    while (parsed.valueStart < line.size() && isBlank(line.at(parsed.valueStart)))
        ++parsed.valueStart;
    parsed.value = unquoted(trimBlanks(line.mid(parsed.valueStart)));
    return parsed;
}

//! The value on one line: each line break becomes one blank.
QString oneLine(const QString &value)
{
    QString flat = value;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return flat;
}

//! The value as it goes into the file: quoted when blanks or quotes at its ends would otherwise
//! be lost on reading.
QString storedForm(const QString &flat)
{
    if (flat.isEmpty())
        return flat;
    const auto needsQuotes = [](QChar c) { return isBlank(c) || c == QLatin1Char('"'); };
    if (needsQuotes(flat.front()) || needsQuotes(flat.back()))
        return QLatin1Char('"') + flat + QLatin1Char('"');
    return flat;
}

//! Where section and key stand in the file; -1 for what is not there.
struct Location
{
    qsizetype keyLine = -1;
    //! The line after which a new key goes: the first section's header or its last entry.
    qsizetype lastOfSection = -1;
    //! Views into the profile's lines: valid while those lines stay as they are.
    ParsedLine entry;
};

Location locate(const ProfileText &profile, const QString &section, const QString &key)
{
    Location found;
    bool inSection = false;
    bool inFirstSection = false;
    for (qsizetype i = 0; i < profile.lines.size(); ++i) {
        ParsedLine parsed = parse(profile.lines.at(i).text);
        if (parsed.kind == ParsedLine::Kind::Section) {
            inSection = sameName(parsed.name, section);
            inFirstSection = inSection && found.lastOfSection < 0;
            if (inFirstSection)
                found.lastOfSection = i;
        } else if (parsed.kind == ParsedLine::Kind::Entry && inSection) {
            if (inFirstSection)
                found.lastOfSection = i;
            if (sameName(parsed.name, key)) {
                found.keyLine = i;
                found.entry = std::move(parsed);
                return found;
            }
        }
    }
    return found;
}

//! Inserts a line after index after (-1: at the start), ending with the file's line ending.
void insertLine(ProfileText &profile, qsizetype after, const QString &text)
{
    const QString ending = profile.lineEnding();
    if (after >= 0 && profile.lines[after].ending.isEmpty())
        profile.lines[after].ending = ending;
    profile.lines.insert(after + 1, {text, ending});
}

} // namespace

QString valueIn(const QByteArray &contents, const QString &section, const QString &key)
{
    const QString sectionName = trimBlanks(section).toString();
    const QString keyName = trimBlanks(key).toString();
    if (!storableSection(sectionName) || !storableKey(keyName))
        return QString();
    const ProfileText profile = ProfileText::fromBytes(contents);
    return locate(profile, sectionName, keyName).entry.value.toString();
}

std::optional<QByteArray> withValue(const QByteArray &contents, const QString &section,
                                    const QString &key, const QString &value)
{
    const QString sectionName = trimBlanks(section).toString();
    const QString keyName = trimBlanks(key).toString();
    if (!storableSection(sectionName) || !storableKey(keyName))
        return std::nullopt;
    ProfileText profile = ProfileText::fromBytes(contents);

    const QString flat = oneLine(value);
    const QString stored = storedForm(flat);
    const Location where = locate(profile, sectionName, keyName);
    if (where.keyLine >= 0) {
        if (where.entry.value == flat)
            return contents;
        QString &line = profile.lines[where.keyLine].text;
        line = line.left(where.entry.valueStart) + stored;
    } else if (where.lastOfSection >= 0) {
        insertLine(profile, where.lastOfSection, keyName + QLatin1Char('=') + stored);
    } else {
        const qsizetype last = profile.lines.size() - 1;
        insertLine(profile, last, QLatin1Char('[') + sectionName + QLatin1Char(']'));
        insertLine(profile, last + 1, keyName + QLatin1Char('=') + stored);
    }
    return profile.toBytes();
}

QString readValue(const QString &filePath, const QString &section, const QString &key)
{
    const std::optional<QByteArray> contents = ProfileText::readFile(filePath);
    return contents ? valueIn(*contents, section, key) : QString();
}

bool writeValue(const QString &filePath, const QString &section, const QString &key,
                const QString &value)
{
    const std::optional<QByteArray> contents = ProfileText::readFile(filePath);
    if (!contents)
        return false;
    const std::optional<QByteArray> changed = withValue(*contents, section, key, value);
    if (!changed)
        return false;
    if (*changed == *contents)
        return true;
    return ProfileText::replaceFile(filePath, *changed);
}

QList<Line> lines(const QByteArray &contents)
{
    const auto carriesNothing = [](const QString &text) {
        const QString trimmed = QStringView(trimBlanks(text)).toString();
        return trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
               trimmed.startsWith(QLatin1Char('#'));
    };
    const ProfileText profile = ProfileText::fromBytes(contents);
    QList<Line> found;
    for (qsizetype i = 0; i < profile.lines.size(); ++i) {
        const QString &text = profile.lines.at(i).text;
        const ParsedLine parsed = parse(text);
        Line line;
        line.number = static_cast<int>(i + 1);
        if (parsed.kind == ParsedLine::Kind::Section) {
            line.kind = Line::Kind::Section;
        } else if (parsed.kind == ParsedLine::Kind::Entry) {
            line.kind = Line::Kind::Entry;
            line.value = QStringView(parsed.value).toString();
        } else if (carriesNothing(text)) {
            continue;
        }
        line.name = line.kind == Line::Kind::Unreadable ? QStringView(trimBlanks(text)).toString()
                                                        : QStringView(parsed.name).toString();
        found.append(line);
    }
    return found;
}

} // namespace privateprofile
