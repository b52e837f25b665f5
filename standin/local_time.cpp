// TAVLO_CLIENT_LOCALTIME: the local calendar time of a TimeRecord.
#include <ctime>

#include "tavlo.h"

// A record holds a valid time when its milliseconds are 0 to 999 and its
// seconds are not negative.
extern "C" TAVLO_API std::tm *TAVLO_CLIENT_LOCALTIME(const TimeRecord *time) {
    static thread_local std::tm local;
    if (time == nullptr || time->milliseconds < 0 || time->milliseconds > 999 ||
        time->seconds < 0) {
        return nullptr;
    }
    const std::time_t seconds = time->seconds;
    return localtime_r(&seconds, &local);
}
