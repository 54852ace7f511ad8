#pragma once

#include "portsurvey.h"

#include <QStringList>

namespace ctl {

//! What `pravixctl ports` prints: the Ports window's list, as text or as JSON lines.
namespace portsreport {

/*! The device table with the window's column titles, columns aligned and "-" in empty cells
 * (or one line saying no device is listed), then the lines for the numbers that reach no
 * listed device. */
QStringList textLines(const PortSurvey &survey);

/*! One object per device, what the system does not know as null, then one object
 * {"port_numbers": [{"port": 1, "device": ..., "behind": "listed"|"unlisted"|"nothing"}, ...]}. */
QStringList jsonLines(const PortSurvey &survey);

} // namespace portsreport
} // namespace ctl
