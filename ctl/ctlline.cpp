#include "ctlline.h"

#include "configimage.h"
#include "portmap.h"
#include "serialsettings.h"
#include "storedline.h"

namespace ctl {

Line chooseLine(const Arguments &arguments)
{
    Line line;
    line.portNumber = arguments.port.value_or(storedline::commPort());
    line.device =
        arguments.device.isEmpty() ? portmap::devicePath(line.portNumber) : arguments.device;
    // An unusable stored setting starts afresh, as in the main window.
    const SerialSettings stored =
        SerialSettings::parse(storedline::setting()).value_or(SerialSettings::standard());
    const std::optional<SerialSettings> chosen =
        SerialSettings::find(arguments.baud.value_or(stored.baudRate),
                             arguments.format.isEmpty() ? stored.formatName : arguments.format);
    line.settings = chosen.value_or(stored).text;
    if (arguments.command == Command::Configure)
        line.settings = QLatin1String(ConfigImage::LineSettings);
    line.slave = arguments.slave.value_or(storedline::slave());
    line.echo = arguments.echo || storedline::localEcho();
    return line;
}

} // namespace ctl
