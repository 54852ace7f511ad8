#include "messagecatcher.h"

#include "messagebox.h"

MessageCatcher::MessageCatcher()
{
    messagebox::setSink([this](const QString &text) { texts.append(text); });
}

MessageCatcher::~MessageCatcher()
{
    messagebox::setSink({});
}

QStringList MessageCatcher::headlines() const
{
    QStringList lines;
    for (const QString &text : texts)
        lines.append(text.section(QLatin1Char('\n'), 0, 0));
    return lines;
}

QStringList MessageCatcher::details() const
{
    QStringList lines;
    for (const QString &text : texts)
        lines.append(text.section(QLatin1Char('\n'), 1));
    return lines;
}
