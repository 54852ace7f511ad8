#pragma once

#include <QString>

//! dir followed by exactly one "/", also when dir already ends with one (the root directory).
inline QString withTrailingSlash(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}
