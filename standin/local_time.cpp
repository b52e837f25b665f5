// TAVLO_CLIENT_LOCALTIME: the local calendar time of a TimeRecord.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "tavlo.h"

namespace {

// The last two conversions of this thread, and the TZ value they were made
// under. The tags of a message share their timestamp, next messages mostly
// too, and a TIME value in between has a second one; those take the result
// without the time-zone work again.
class RecentConversions {
public:
    // The local time of `seconds` under `tz` (the TZ value, or null when
    // there is none), valid until the next call of the thread; null when
    // there is none. A TZ other than that of the last call is taken up first
    // (tzset), as localtime() would.
    std::tm *convert(std::time_t seconds, const char *tz) {
        if (!made_under(tz)) {
            tzset();
            entries_[0].valid = entries_[1].valid = false;
            zone_ = keep_zone(tz);
        }
        for (std::size_t i = 0; i < 2; ++i) {
            if (entries_[i].valid && entries_[i].seconds == seconds) {
                replace_ = 1 - i;
                return result_of(entries_[i]);
            }
        }
        Entry &entry = entries_[replace_];
        replace_ = 1 - replace_;
        entry.seconds = seconds;
        entry.valid = localtime_r(&seconds, &entry.local) != nullptr;
        return result_of(entry);
    }

private:
    struct Entry {
        bool valid = false;
        std::time_t seconds = 0;
        std::tm local{};
    };
    enum class Zone { kUnknown, kNoTz, kKept };
    static constexpr std::size_t kLongestKeptTz = 255;

    // A copy for the caller, who may change it: the entry stays as it is.
    std::tm *result_of(const Entry &entry) {
        if (!entry.valid) return nullptr;
        result_ = entry.local;
        return &result_;
    }

    bool made_under(const char *tz) const {
        if (tz == nullptr) return zone_ == Zone::kNoTz;
        return zone_ == Zone::kKept && std::strcmp(tz, tz_) == 0;
    }

    // A TZ longer than the key holds is not kept: every call takes it up.
    Zone keep_zone(const char *tz) {
        if (tz == nullptr) return Zone::kNoTz;
        const std::size_t length = strnlen(tz, sizeof tz_);
        if (length == sizeof tz_) return Zone::kUnknown;
        std::memcpy(tz_, tz, length + 1);
        return Zone::kKept;
    }

    Zone zone_ = Zone::kUnknown;
    char tz_[kLongestKeptTz + 1] = {};
    Entry entries_[2];
    std::size_t replace_ = 0;  // the entry the next new time takes
    std::tm result_{};
};

thread_local RecentConversions recent;

}  // namespace

// A record holds a valid time when its milliseconds are 0 to 999 and its
// seconds are not negative.
extern "C" TAVLO_API std::tm *TAVLO_CLIENT_LOCALTIME(const TimeRecord *time) {
    if (time == nullptr || time->milliseconds < 0 || time->milliseconds > 999 ||
        time->seconds < 0) {
        return nullptr;
    }
    return recent.convert(time->seconds, std::getenv("TZ"));
}
