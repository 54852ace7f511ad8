#pragma once

#include <stdexcept>
#include <string>

#include <QString>

//! A serial port operation failed; what() carries the operating system's message.
class CommError : public std::runtime_error
{
public:
    explicit CommError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};
