#pragma once

#include <QStringList>

/*! \brief Collects message box texts instead of showing modal boxes, while it lives. */
class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;

    QStringList texts;
};
