#include "trafficexport.h"

#include "trafficcsv.h"
#include "trafficmodel.h"

#include <QDir>
#include <QSaveFile>

namespace trafficexport {

bool save(const TrafficModel &model, const QString &path, QString *error)
{
    QSaveFile file(path);
    const auto fail = [&] {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    const QString lineBreak = QStringLiteral("\r\n");
    QString text = trafficcsv::header() + lineBreak;
    for (int row = 0; row < model.rowCount(); ++row)
        text += trafficcsv::line(model.record(row)) + lineBreak;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size())
        return fail();
    if (!file.commit())
        return fail();
    return true;
}

} // namespace trafficexport
