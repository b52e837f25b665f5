// The standard asctime() text of a calendar time, made safely.
#include "asctime_text.h"

#include <cstdio>

namespace tavlo::ts {

void format_asctime(const std::tm &time, char (&text)[kAsctimeTextSize]) {
    static const char *const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char *day = (time.tm_wday >= 0 && time.tm_wday < 7) ? kDays[time.tm_wday] : "???";
    const char *month = (time.tm_mon >= 0 && time.tm_mon < 12) ? kMonths[time.tm_mon] : "???";
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %lld\n", day, month, time.tm_mday,
                  time.tm_hour, time.tm_min, time.tm_sec, 1900LL + time.tm_year);
}

}  // namespace tavlo::ts
