#include "appearance.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QWidget>

// Resources of a static library must be brought in by name, from outside any namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace appearance {
namespace {

// Metric-compatible with the Windows font, so captions fit their fixed sizes.
constexpr char wineTahoma[] = "/usr/share/wine/fonts/tahoma.ttf";

QFont windowFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

} // namespace

void registerTahoma()
{
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    if (QFile::exists(QString::fromLatin1(wineTahoma)))
        QFontDatabase::addApplicationFont(QString::fromLatin1(wineTahoma));
}

void apply(QWidget *window)
{
    initResources();
    window->setFont(windowFont());
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/pravixapp.png")));
}

} // namespace appearance
