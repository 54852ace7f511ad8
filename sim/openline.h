#pragma once

#include "lineend.h"

#include <QString>

#include <memory>

namespace lcdsim {

struct SimOptions;

/*! The line the options ask to play the display on: the serial port --port names, or else a
 * pseudo-terminal of its own (linked where --link says), at the line the display listens at;
 * nullptr with the reason in *error. */
std::unique_ptr<LineEnd> openLine(const SimOptions &options, QString *error);

} // namespace lcdsim
