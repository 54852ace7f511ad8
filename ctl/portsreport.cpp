#include "portsreport.h"

#include "devicetablemodel.h"
#include "runreport.h"

#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <array>

namespace ctl::portsreport {
namespace {

using Row = std::array<QString, DeviceTableModel::ColumnCount>;

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QString behindName(PortSurvey::Behind behind)
{
    switch (behind) {
    case PortSurvey::Behind::ListedDevice:
        return QStringLiteral("listed");
    case PortSurvey::Behind::UnlistedDevice:
        return QStringLiteral("unlisted");
    case PortSurvey::Behind::Nothing:
        break;
    }
    return QStringLiteral("nothing");
}

} // namespace

QStringList textLines(const PortSurvey &survey)
{
    QStringList lines;
    if (survey.devices().isEmpty()) {
        lines.append(QStringLiteral("No serial devices are listed."));
    } else {
        QList<Row> rows;
        Row titles;
        for (int column = 0; column < DeviceTableModel::ColumnCount; ++column)
            titles[size_t(column)] = DeviceTableModel::title(column);
        rows.append(titles);
        for (const ListedDevice &device : survey.devices()) {
            Row row;
            for (int column = 0; column < DeviceTableModel::ColumnCount; ++column) {
                const QString text = DeviceTableModel::text(device, column);
                row[size_t(column)] = text.isEmpty() ? QStringLiteral("-") : text;
            }
            rows.append(row);
        }
        std::array<qsizetype, DeviceTableModel::ColumnCount> widths{};
        for (const Row &row : rows) {
            for (size_t column = 0; column < widths.size(); ++column)
                widths[column] = std::max(widths[column], row[column].size());
        }
        for (const Row &row : rows) {
            QString line;
            for (size_t column = 0; column + 1 < widths.size(); ++column)
                line += row[column].leftJustified(widths[column] + 2);
            lines.append(line + row.back());
        }
    }
    return lines + survey.unlistedLines();
}

QStringList jsonLines(const PortSurvey &survey)
{
    QStringList lines;
    for (const ListedDevice &device : survey.devices()) {
        QJsonArray ports;
        for (const int number : device.portNumbers)
            ports.append(number);
        QJsonObject object;
        object.insert(QStringLiteral("device"), device.name());
        object.insert(QStringLiteral("port_name"), device.info.portName);
        object.insert(QStringLiteral("description"), textOrNull(device.info.description));
        object.insert(QStringLiteral("manufacturer"), textOrNull(device.info.manufacturer));
        object.insert(QStringLiteral("serial_number"), textOrNull(device.info.serialNumber));
        object.insert(QStringLiteral("usb_id"), textOrNull(device.usbId()));
        object.insert(QStringLiteral("stable_name"), textOrNull(device.stableName));
        object.insert(QStringLiteral("ports"), ports);
        lines.append(runreport::jsonLine(object));
    }
    QJsonArray numbers;
    for (const PortSurvey::PortNumber &entry : survey.numbers()) {
        QJsonObject number;
        number.insert(QStringLiteral("port"), entry.number);
        number.insert(QStringLiteral("device"), entry.path);
        number.insert(QStringLiteral("behind"), behindName(entry.behind));
        numbers.append(number);
    }
    lines.append(runreport::jsonLine({{QStringLiteral("port_numbers"), numbers}}));
    return lines;
}

} // namespace ctl::portsreport
