#include "messagebox.h"

#include <QMessageBox>

namespace messagebox {
namespace {

Sink &installedSink()
{
    static Sink sink;
    return sink;
}

} // namespace

void show(QWidget *parent, const QString &text)
{
    if (installedSink()) {
        installedSink()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, applicationTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

void show(QWidget *parent, const QString &text, const QString &detail)
{
    show(parent, text + QLatin1Char('\n') + detail);
}

void setSink(Sink sink)
{
    installedSink() = std::move(sink);
}

} // namespace messagebox
