// Tags that were seen and then got no update for a while (--stale): each
// is said on standard error once when it goes stale and once when it comes
// back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "clock.h"

namespace tavlo::accounting {

class StaleTags {
public:
    // Tags beyond this many are not watched, so that a device sending ever
    // new names cannot take all memory.
    static constexpr std::size_t kMostTags = 100000;
    // Lists beyond this many are not watched either: their tags are left
    // out, so that a device sending ever new list ids cannot take all
    // memory.
    static constexpr std::size_t kMostLists = 10000;

    StaleTags(posix::Clock::Duration after, std::FILE *stream, posix::Clock &clock);

    // The time of the updates of a message, taken once for all its tags.
    posix::Clock::Time now() { return clock_.now(); }

    // The updates at `now` of the `count` tags of a message of `list_id` of
    // `device` whose name entries are the bytes `names`: true when those are
    // the entries of the list's last message, whose tags are then all
    // brought up to date here; false when each tag is to go to updated().
    // No entries ("") compare with none. True, with the tags counted as
    // left out, for a list beyond kMostLists.
    bool updated_as_before(std::string_view device, int32_t list_id, std::string_view names,
                           int32_t count, posix::Clock::Time now);

    // An update at `now` of tag `name` (without its padding), at `place`
    // (from 0) in a message of `list_id` of `device`: a tag that was stale
    // comes back. The message's tags come here only after
    // updated_as_before() said false for it.
    void updated(std::string_view device, int32_t list_id, int32_t place, std::string_view name,
                 posix::Clock::Time now);

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
    struct Tag {
        std::string name;
        posix::Clock::Time updated;
        bool stale = false;
    };
    // The tags of one list of one device, in the order first seen: a
    // message mostly has the same tag at the same place as the one before.
    struct List {
        std::string device;
        int32_t id = 0;
        std::vector<Tag> tags;
        std::unordered_map<std::string, std::size_t> index;  // name: place in tags
        // The name entries of the last message, and the place in `tags` of
        // each of its tags; empty when a tag was left out. Kept only for a
        // message of no more tags than the list has, so that they grow
        // only with the tags watched (a name entry each at most).
        std::string names;
        std::vector<std::size_t> places;
    };

    // The list, made if new; null beyond kMostLists.
    List *list_of(std::string_view device, int32_t list_id);
    // The tag's place in `list.tags`, added if new; kNoTag beyond kMostTags.
    std::size_t tag_of(List &list, int32_t place, std::string_view name, posix::Clock::Time now);
    void bring_up_to_date(const List &list, Tag &tag, posix::Clock::Time now);
    void say(const List &list, const Tag &tag, const char *what, posix::Clock::Duration quiet);

    posix::Clock::Duration after_;
    std::FILE *stream_;
    posix::Clock &clock_;
    std::vector<std::unique_ptr<List>> lists_;  // in the order first seen
    // The lists by device and id (list_key()), for a message of another
    // list than the one before.
    std::unordered_map<std::string, List *> by_key_;
    List *last_list_ = nullptr;
    std::size_t tags_ = 0;
    posix::Clock::Time next_look_{};
    int64_t stale_now_ = 0;
    int64_t went_stale_ = 0;
    int64_t left_out_ = 0;
};

}  // namespace tavlo::accounting
