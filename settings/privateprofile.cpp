#include "privateprofile.h"

#include "profiletext.h"

namespace privateprofile {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin).toString();
}

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
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

struct ParsedLine
{
    enum class Kind { Other, Section, Entry };

    Kind kind = Kind::Other;
    //! Section name or key name, without surrounding blanks.
    QString name;
    //! Where the value begins (past "=" and the blanks after it); entries only.
    qsizetype valueStart = 0;
    //! The value without surrounding blanks and without one enclosing pair of quotes.
    QString value;
};

QString unquoted(const QString &value)
{
    const QLatin1Char quote('"');
    if (value.size() >= 2 && value.startsWith(quote) && value.endsWith(quote))
        return value.mid(1, value.size() - 2);
    return value;
}

ParsedLine parse(const QString &line)
{
    ParsedLine parsed;
    const QString trimmed = trimBlanks(line);
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
        trimmed.startsWith(QLatin1Char('#')))
        return parsed;

    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close > 0) {
            parsed.kind = ParsedLine::Kind::Section;
            parsed.name = trimBlanks(QStringView(trimmed).mid(1, close - 1));
        }
        return parsed;
    }

    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return parsed;
    parsed.kind = ParsedLine::Kind::Entry;
    parsed.name = trimBlanks(QStringView(line).left(equals));
    parsed.valueStart = equals + 1;
    while (parsed.valueStart < line.size() && isBlank(line.at(parsed.valueStart)))
        ++parsed.valueStart;
    parsed.value = unquoted(trimBlanks(QStringView(line).mid(parsed.valueStart)));
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

QString readValue(const QString &filePath, const QString &section, const QString &key)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    if (!storableSection(sectionName) || !storableKey(keyName))
        return QString();
    const std::optional<ProfileText> profile = ProfileText::load(filePath);
    if (!profile)
        return QString();
    return locate(*profile, sectionName, keyName).entry.value;
}

bool writeValue(const QString &filePath, const QString &section, const QString &key,
                const QString &value)
{
    const QString sectionName = trimBlanks(section);
    const QString keyName = trimBlanks(key);
    if (!storableSection(sectionName) || !storableKey(keyName))
        return false;
    std::optional<ProfileText> profile = ProfileText::load(filePath);
    if (!profile)
        return false;

    const QString flat = oneLine(value);
    const QString stored = storedForm(flat);
    const Location where = locate(*profile, sectionName, keyName);
    if (where.keyLine >= 0) {
        if (where.entry.value == flat)
            return true;
        QString &line = profile->lines[where.keyLine].text;
        line = line.left(where.entry.valueStart) + stored;
    } else if (where.lastOfSection >= 0) {
        insertLine(*profile, where.lastOfSection, keyName + QLatin1Char('=') + stored);
    } else {
        const qsizetype last = profile->lines.size() - 1;
        insertLine(*profile, last, QLatin1Char('[') + sectionName + QLatin1Char(']'));
        insertLine(*profile, last + 1, keyName + QLatin1Char('=') + stored);
    }
    return profile->save(filePath);
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
