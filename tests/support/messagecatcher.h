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

    //! The first line of each box: all of a box but the line a port error adds under it.
    QStringList headlines() const;
    //! The second line of each box, the reason and remedy of a port error; empty when none.
    QStringList details() const;
};
