#pragma once

#include "serialsettings.h"

#include <vector>

//! Line settings and slave IDs as the search tests name them.
namespace searchlines {

inline SerialSettings line(const char *text)
{
    return *SerialSettings::parse(QLatin1String(text));
}

inline std::vector<SerialSettings> all()
{
    return {SerialSettings::all().begin(), SerialSettings::all().end()};
}

inline std::vector<int> ids(int first, int last)
{
    std::vector<int> range;
    for (int id = first; id <= last; ++id)
        range.push_back(id);
    return range;
}

} // namespace searchlines
