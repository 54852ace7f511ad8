#pragma once

#include <QHash>
#include <QString>

//! Names of serial devices that stay the same whichever USB socket the adapter is in.
namespace stablenames {

//! "/dev/serial/by-id" on Linux, which keeps such names; empty text elsewhere.
QString systemFolder();

/*! The links in \a folder by the device each leads to: the device's path with every link
 * resolved, mapped to the link's own path. Where several lead to one device, the first by name
 * counts. A missing folder, or an empty \a folder, has none. */
QHash<QString, QString> byTarget(const QString &folder);

} // namespace stablenames
