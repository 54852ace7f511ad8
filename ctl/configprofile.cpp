#include "configprofile.h"

#include "cp1252.h"
#include "numbertext.h"
#include "privateprofile.h"
#include "serialsettings.h"

#include <QStringList>

#include <vector>

namespace ctl {
namespace {

/*! One key of a profile. A number stores value - offset, a choice its position in the list;
 * both go to a field of ConfigChoices. A message goes to a message box. */
struct Key
{
    enum class Kind { Number, Choice, Message };

    QString section;
    QString name;
    Kind kind;
    int ConfigChoices::*field = nullptr;
    int first = 0;
    int last = 0;
    int offset = 0;
    QStringList choices;
    int messageIndex = -1;
};

const QStringList sectionNames = {QStringLiteral("Display"), QStringLiteral("Messages"),
                                  QStringLiteral("Line0"), QStringLiteral("Line1")};

//! A list of numbers: the position of the value chosen is value - first.
Key numberKey(const QString &section, const char *name, int ConfigChoices::*field,
              ConfigChoices::Range range)
{
    return {section,     QLatin1String(name), Key::Kind::Number, field,
            range.first, range.last,          range.first,       {}};
}

Key choiceKey(const QString &section, const char *name, int ConfigChoices::*field,
              const QStringList &choices)
{
    return {section, QLatin1String(name), Key::Kind::Choice, field, 0, 0, 0, choices};
}

// Line 0 holds field 1 and line 1 field 2, as the window labels them.
void addLineKeys(std::vector<Key> &keys, const QString &section, int ConfigChoices::*width,
                 int ConfigChoices::*decimalPoint, int ConfigChoices::*startPoint,
                 int ConfigChoices::*startupScreen)
{
    keys.push_back(numberKey(section, "Width", width, ConfigChoices::widths));
    keys.push_back(numberKey(section, "DecimalPoint", decimalPoint, ConfigChoices::decimalPoints));
    keys.push_back(numberKey(section, "StartPoint", startPoint, ConfigChoices::startPoints));
    keys.push_back(
        choiceKey(section, "StartupScreen", startupScreen, ConfigChoices::startupScreens()));
}

const std::vector<Key> &profileKeys()
{
    static const std::vector<Key> keys = [] {
        const QString display = sectionNames[0];
        std::vector<Key> all = {
            numberKey(display, "ID", &ConfigChoices::slaveId, ConfigChoices::slaveIds),
            choiceKey(display, "Baud", &ConfigChoices::baudRate, SerialSettings::baudNames()),
            choiceKey(display, "Format", &ConfigChoices::dataFormat, SerialSettings::formatNames()),
        };
        for (int i = 0; i < ConfigImage::MessageCount; ++i) {
            Key message{
                sectionNames[1], QString::number(i + 1), Key::Kind::Message, nullptr, 0, 0, 0, {}};
            message.messageIndex = i;
            all.push_back(message);
        }
        addLineKeys(all, sectionNames[2], &ConfigChoices::width1, &ConfigChoices::decimalPoint1,
                    &ConfigChoices::startPoint1, &ConfigChoices::startupScreen1);
        addLineKeys(all, sectionNames[3], &ConfigChoices::width2, &ConfigChoices::decimalPoint2,
                    &ConfigChoices::startPoint2, &ConfigChoices::startupScreen2);
        return all;
    }();
    return keys;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QStringList keyNames(const QString &section)
{
    QStringList names;
    for (const Key &key : profileKeys()) {
        if (key.section == section)
            names << key.name;
    }
    return names;
}

class ProfileReader
{
public:
    ProfileReader(const QString &fileName, const StoredMessage &stored)
        : m_fileName(fileName), m_stored(stored)
    {
        m_profile.choices = ConfigChoices::loadTime();
    }

    std::optional<ConfigProfile> read(const QByteArray &contents, QString *error)
    {
        QString section;
        for (const privateprofile::Line &line : privateprofile::lines(contents)) {
            m_line = line.number;
            switch (line.kind) {
            case privateprofile::Line::Kind::Unreadable:
                return fail(error, QStringLiteral("\"%1\" is neither [section], key=value nor a "
                                                  "comment")
                                       .arg(line.name));
            case privateprofile::Line::Kind::Section:
                section = canonicalSection(line.name);
                if (section.isEmpty())
                    return fail(error, QStringLiteral("unknown section [%1]; sections are %2")
                                           .arg(line.name, sectionList()));
                break;
            case privateprofile::Line::Kind::Entry:
                if (section.isEmpty())
                    return fail(error, QStringLiteral("key %1 stands before any section; "
                                                      "sections are %2")
                                           .arg(line.name, sectionList()));
                if (const QString problem = take(section, line.name, line.value);
                    !problem.isEmpty())
                    return fail(error, problem);
                break;
            }
        }
        for (int i = 0; i < ConfigImage::MessageCount; ++i) {
            if (!m_messageSet[static_cast<size_t>(i)])
                m_profile.messages[static_cast<size_t>(i)] =
                    m_stored(i).left(ConfigImage::MessageLength);
        }
        return m_profile;
    }

private:
    static QString sectionList()
    {
        QStringList bracketed;
        for (const QString &name : sectionNames)
            bracketed << QLatin1Char('[') + name + QLatin1Char(']');
        return bracketed.join(QStringLiteral(", "));
    }

    static QString canonicalSection(const QString &name)
    {
        for (const QString &known : sectionNames) {
            if (sameName(name, known))
                return known;
        }
        return QString();
    }

    //! Stores one entry; what is wrong with it, or empty text.
    QString take(const QString &section, const QString &name, const QString &value)
    {
        const auto &keys = profileKeys();
        const auto key = std::find_if(keys.begin(), keys.end(), [&](const Key &k) {
            return k.section == section && sameName(k.name, name);
        });
        if (key == keys.end())
            return QStringLiteral("unknown key %1 in [%2]; keys are %3")
                .arg(name, section, keyNames(section).join(QStringLiteral(", ")));
        // As the settings layer reads a file, the first of two equal keys counts; the second
        // must still be a valid line.
        const bool first = !m_seen.contains(section + QLatin1Char('/') + key->name);
        m_seen << section + QLatin1Char('/') + key->name;
        const QString entry = QStringLiteral("[%1] %2=%3").arg(section, key->name, value);

        switch (key->kind) {
        case Key::Kind::Message: {
            const qsizetype length = cp1252::encode(value).size();
            if (length > ConfigImage::MessageLength)
                return QStringLiteral("%1 has %2 characters; at most %3 are allowed")
                    .arg(entry)
                    .arg(length)
                    .arg(ConfigImage::MessageLength);
            if (first) {
                m_profile.messages[static_cast<size_t>(key->messageIndex)] = value;
                m_messageSet[static_cast<size_t>(key->messageIndex)] = true;
            }
            return QString();
        }
        case Key::Kind::Choice: {
            const auto match = std::find_if(key->choices.begin(), key->choices.end(),
                                            [&](const QString &c) { return sameName(c, value); });
            if (match == key->choices.end())
                return QStringLiteral("%1 is not one of %2")
                    .arg(entry, key->choices.join(QStringLiteral(", ")));
            if (first)
                m_profile.choices.*(key->field) = int(match - key->choices.begin());
            return QString();
        }
        case Key::Kind::Number: {
            // Every range ends below 1000.
            const std::optional<qint64> number = numbertext::digits(value, 3);
            const QString range = QStringLiteral("%1-%2").arg(key->first).arg(key->last);
            if (!number)
                return QStringLiteral("%1 is not a number; allowed: %2").arg(entry, range);
            if (*number < key->first || *number > key->last)
                return QStringLiteral("%1 is outside %2").arg(entry, range);
            if (first)
                m_profile.choices.*(key->field) = int(*number) - key->offset;
            return QString();
        }
        }
        return QString();
    }

    std::nullopt_t fail(QString *error, const QString &problem) const
    {
        *error = QStringLiteral("%1 line %2: %3").arg(m_fileName).arg(m_line).arg(problem);
        return std::nullopt;
    }

    QString m_fileName;
    const StoredMessage &m_stored;
    ConfigProfile m_profile;
    std::array<bool, ConfigImage::MessageCount> m_messageSet{};
    QStringList m_seen;
    int m_line = 0;
};

} // namespace

std::optional<ConfigProfile> readProfile(const QByteArray &contents, const QString &fileName,
                                         const StoredMessage &stored, QString *error)
{
    return ProfileReader(fileName, stored).read(contents, error);
}

QByteArray uploadImage(const ConfigProfile &profile)
{
    ConfigImage image;
    image.writeMessages(profile.messages);
    image.writeChoices(profile.choices);
    image.writeChecksum();
    return image.toByteArray();
}

QString defaultProfile()
{
    const ConfigChoices defaults = ConfigChoices::loadTime();
    const auto allowed = [](const Key &key) {
        // The start-up screens: "None/Message 1 ... Message 6".
        if (key.kind == Key::Kind::Choice && key.choices.size() > 3)
            return key.choices.first() + QLatin1Char('/') + key.choices.at(1) +
                   QStringLiteral(" ... ") + key.choices.last();
        if (key.kind == Key::Kind::Choice)
            return key.choices.join(QLatin1Char('/'));
        return QStringLiteral("%1-%2").arg(key.first).arg(key.last);
    };
    const auto valueText = [&defaults](const Key &key) {
        const int position = defaults.*(key.field);
        return key.kind == Key::Kind::Choice ? key.choices.at(position)
                                             : QString::number(position + key.offset);
    };

    QString text = QStringLiteral(
        "; Pravix display profile for: pravixctl configure FILE\n"
        "; Names match without regard to case. A key left out takes the configuration window's\n"
        "; choice at load; a message left out, the row saved in the settings file.\n"
        "; A value runs to the end of its line; in double quotes it keeps its blanks.\n");
    for (const QString &section : sectionNames) {
        QStringList notes;
        QString entries;
        for (const Key &key : profileKeys()) {
            if (key.section != section)
                continue;
            if (key.kind == Key::Kind::Message) {
                entries += key.name + QStringLiteral("=\n");
                continue;
            }
            notes << key.name + QLatin1Char(' ') + allowed(key);
            entries += key.name + QLatin1Char('=') + valueText(key) + QLatin1Char('\n');
        }
        if (notes.isEmpty())
            notes << QStringLiteral("messages 1 to %1, at most %2 characters each")
                         .arg(ConfigImage::MessageCount)
                         .arg(ConfigImage::MessageLength);
        text += QStringLiteral("\n; ") + notes.join(QStringLiteral(", ")) + QStringLiteral("\n[") +
                section + QStringLiteral("]\n") + entries;
    }
    return text;
}

} // namespace ctl
