#include "openline.h"

#include "pseudoterminal.h"
#include "serialline.h"
#include "simoptions.h"

namespace lcdsim {

std::unique_ptr<LineEnd> openLine(const SimOptions &options, QString *error)
{
    if (!options.portName.isEmpty()) {
        auto port = std::make_unique<SerialLine>();
        if (!port->open(options.portName, options.line, error))
            return nullptr;
        return port;
    }
    if (!PseudoTerminal::available()) {
        *error = QStringLiteral("this system has no pseudo-terminals: play the display on a "
                                "serial port with --port, for example --port COM11");
        return nullptr;
    }
    auto terminal = std::make_unique<PseudoTerminal>();
    if (!terminal->open(options.line, error))
        return nullptr;
    if (!options.linkPath.isEmpty() && !terminal->makeLink(options.linkPath, error))
        return nullptr;
    return terminal;
}

} // namespace lcdsim
