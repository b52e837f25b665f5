// Tags that were seen and then got no update for a while (--stale): each
// is said on standard error once when it goes stale and once when it comes
// back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>

#include "clock.h"

namespace tavlo::accounting {

class StaleTags {
public:
    // Tags beyond this many are not watched, so that a device sending ever
    // new names cannot take all memory.
    static constexpr std::size_t kMostTags = 100000;

    StaleTags(posix::Clock::Duration after, std::FILE *stream, posix::Clock &clock);

    // An update of tag `name` of `list_id` of `device` (its name without the
    // padding): a tag that was stale comes back.
    void updated(std::string_view device, int32_t list_id, std::string_view name);

    // A cancel of the list: its tags are no longer watched.
    void forget_list(std::string_view device, int32_t list_id);

    // Looks for tags gone stale since the last look; a look every tenth of
    // the duration at most, so that a busy loop does not walk every tag on
    // every message.
    void look();

    int64_t stale_now() const { return stale_now_; }
    int64_t went_stale() const { return went_stale_; }  // times a tag went stale
    int64_t tags_left_out() const { return left_out_; }

private:
    struct Entry {
        posix::Clock::Time updated;
        bool stale = false;
    };
    void make_key(std::string_view device, int32_t list_id, std::string_view name);
    void say(const std::string &key, const char *what, posix::Clock::Duration quiet);

    posix::Clock::Duration after_;
    std::FILE *stream_;
    posix::Clock &clock_;
    std::unordered_map<std::string, Entry> tags_;
    std::string key_;  // reused: device NUL list NUL name
    posix::Clock::Time next_look_{};
    int64_t stale_now_ = 0;
    int64_t went_stale_ = 0;
    int64_t left_out_ = 0;
};

}  // namespace tavlo::accounting
