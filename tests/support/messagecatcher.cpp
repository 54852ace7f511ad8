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
