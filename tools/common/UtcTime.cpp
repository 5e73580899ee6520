#include "tools/common/UtcTime.h"

#include <chrono>
#include <cstdio>

namespace kelvane {

std::string UtcTimestamp(std::time_t seconds) {
    using namespace std::chrono;
    const sys_seconds moment{duration_cast<sys_seconds::duration>(std::chrono::seconds(seconds))};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return text;
}

}  // namespace kelvane
