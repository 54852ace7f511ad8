#pragma once

#include "configimage.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace ctl {

//! What a profile file asks of the display: the configuration window's choices and messages.
struct ConfigProfile
{
    ConfigChoices choices;
    std::array<QString, ConfigImage::MessageCount> messages;
};

//! The message the configuration window would load into box \a index (0-5).
using StoredMessage = std::function<QString(int index)>;

/*! \brief The profile in \a contents, checked line by line.
 *
 * Sections [Display], [Messages], [Line0] and [Line1]; names match without regard to case. A
 * key left out takes the configuration window's choice at load, a message the one \a stored
 * gives. Nothing at all for an unknown section or key, a line that is no profile line or a
 * value outside its range, with one line in \a error naming \a fileName, the line, the key and
 * the allowed values.
 */
std::optional<ConfigProfile> readProfile(const QByteArray &contents, const QString &fileName,
                                         const StoredMessage &stored, QString *error);

//! The 110 bytes that upload \a profile, as the configuration window builds them.
QByteArray uploadImage(const ConfigProfile &profile);

//! A commented profile with every key at the window's choice at load and every message empty.
QString defaultProfile();

} // namespace ctl
