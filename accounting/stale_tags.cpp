// Tags that were seen and then got no update for a while.
#include "stale_tags.h"

#include <inttypes.h>

#include <chrono>

namespace tavlo::accounting {

namespace {

constexpr int kLooksPerDuration = 10;

// "DEVICE list N tag NAME" of a key, control bytes as '?'.
std::string tag_words(const std::string &key) {
    const std::size_t list_end = key.find('\0');
    const std::size_t name_start = key.find('\0', list_end + 1) + 1;
    std::string text = key.substr(0, list_end) + " list " +
                       key.substr(list_end + 1, name_start - list_end - 2) + " tag " +
                       key.substr(name_start);
    for (char &c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return text;
}

}  // namespace

StaleTags::StaleTags(posix::Clock::Duration after, std::FILE *stream, posix::Clock &clock)
    : after_(after), stream_(stream), clock_(clock) {}

void StaleTags::make_key(std::string_view device, int32_t list_id, std::string_view name) {
    key_.assign(device);
    key_ += '\0';
    key_ += std::to_string(list_id);
    key_ += '\0';
    key_ += name;
}

void StaleTags::forget_list(std::string_view device, int32_t list_id) {
    make_key(device, list_id, {});
    for (auto it = tags_.begin(); it != tags_.end();) {
        if (it->first.compare(0, key_.size(), key_) != 0) {
            ++it;
            continue;
        }
        if (it->second.stale) --stale_now_;
        it = tags_.erase(it);
    }
}

void StaleTags::updated(std::string_view device, int32_t list_id, std::string_view name) {
    make_key(device, list_id, name);
    const posix::Clock::Time now = clock_.now();
    auto found = tags_.find(key_);
    if (found == tags_.end()) {
        if (tags_.size() >= kMostTags) {
            ++left_out_;
            return;
        }
        tags_.emplace(key_, Entry{now, false});
        return;
    }
    Entry &entry = found->second;
    if (entry.stale) {
        entry.stale = false;
        --stale_now_;
        say(key_, "updated again after", now - entry.updated);
    }
    entry.updated = now;
}

void StaleTags::look() {
    const posix::Clock::Time now = clock_.now();
    if (now < next_look_) return;
    next_look_ = now + after_ / kLooksPerDuration;
    for (auto &[key, entry] : tags_) {
        if (entry.stale || now - entry.updated < after_) continue;
        entry.stale = true;
        ++stale_now_;
        ++went_stale_;
        say(key, "stale: no update for", now - entry.updated);
    }
}

void StaleTags::say(const std::string &key, const char *what, posix::Clock::Duration quiet) {
    const double seconds = std::chrono::duration<double>(quiet).count();
    std::fprintf(stream_, "tavlo_t_receiver: %s %s %.1f s\n", tag_words(key).c_str(), what,
                 seconds);
    std::fflush(stream_);
}

}  // namespace tavlo::accounting
