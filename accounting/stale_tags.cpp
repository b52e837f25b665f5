// Tags that were seen and then got no update for a while.
#include "stale_tags.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "printable_name.h"

namespace tavlo::accounting {

namespace {

constexpr int kLooksPerDuration = 10;
// A place of no tag: one left out, or one not handed to updated().
constexpr std::size_t kNoTag = SIZE_MAX;

// The id's four bytes, then the device's name: one key per list.
std::string list_key(std::string_view device, int32_t list_id) {
    std::string key(sizeof list_id, '\0');
    std::memcpy(key.data(), &list_id, sizeof list_id);
    return key.append(device);
}

}  // namespace

StaleTags::StaleTags(posix::Clock::Duration after, std::FILE *stream, posix::Clock &clock)
    : after_(after), stream_(stream), clock_(clock) {}

StaleTags::List *StaleTags::list_of(std::string_view device, int32_t list_id) {
    if (last_list_ != nullptr && last_list_->id == list_id && last_list_->device == device) {
        return last_list_;
    }
    const std::string key = list_key(device, list_id);
    if (const auto found = by_key_.find(key); found != by_key_.end()) {
        last_list_ = found->second;
        return last_list_;
    }
    if (lists_.size() >= kMostLists) return nullptr;
    auto list = std::make_unique<List>();
    list->device = device;
    list->id = list_id;
    last_list_ = list.get();
    by_key_.emplace(key, last_list_);
    lists_.push_back(std::move(list));
    return last_list_;
}

std::size_t StaleTags::tag_of(List &list, int32_t place, std::string_view name,
                              posix::Clock::Time now) {
    const auto at = static_cast<std::size_t>(place);
    if (at < list.tags.size() && list.tags[at].name == name) return at;
    std::string key(name);
    if (const auto found = list.index.find(key); found != list.index.end()) return found->second;
    if (tags_ >= kMostTags) {
        ++left_out_;
        return kNoTag;
    }
    ++tags_;
    list.index.emplace(key, list.tags.size());
    list.tags.push_back(Tag{std::move(key), now, false});
    return list.tags.size() - 1;
}

void StaleTags::bring_up_to_date(const List &list, Tag &tag, posix::Clock::Time now) {
    if (tag.stale) {
        tag.stale = false;
        --stale_now_;
        say(list, tag, "updated again after", now - tag.updated);
    }
    tag.updated = now;
}

// Comparing a message's entries with the last one's costs a fraction of
// finding its tags one by one (each name measured, unpadded, looked up):
// with --stale 10s, 50000 text reports of the simulated device took 14.0%
// more instructions than without under valgrind's callgrind, now 4.2%;
// bench/receiver_throughput.sh shows the same in its --stale row.
bool StaleTags::updated_as_before(std::string_view device, int32_t list_id, std::string_view names,
                                  int32_t count, posix::Clock::Time now) {
    List *const watched = list_of(device, list_id);
    const auto tags = static_cast<std::size_t>(std::max(count, 0));
    if (watched == nullptr) {
        left_out_ += static_cast<int64_t>(tags);
        return true;
    }
    List &list = *watched;
    if (!names.empty() && list.places.size() == tags && list.names == names) {
        for (const std::size_t place : list.places) {
            if (place != kNoTag) bring_up_to_date(list, list.tags[place], now);
        }
        return true;
    }
    const bool keep = !names.empty() && tags > 0 && tags <= list.tags.size();
    list.names.assign(keep ? names : std::string_view());
    list.places.assign(keep ? tags : 0, kNoTag);
    return false;
}

void StaleTags::updated(std::string_view device, int32_t list_id, int32_t place,
                        std::string_view name, posix::Clock::Time now) {
    List *const watched = list_of(device, list_id);
    if (watched == nullptr) {
        ++left_out_;
        return;
    }
    List &list = *watched;
    const std::size_t found = tag_of(list, place, name, now);
    const auto at = static_cast<std::size_t>(place);
    if (found == kNoTag) {
        list.places.clear();
        return;
    }
    if (at < list.places.size()) list.places[at] = found;
    bring_up_to_date(list, list.tags[found], now);
}

void StaleTags::forget_list(std::string_view device, int32_t list_id) {
    const auto key = by_key_.find(list_key(device, list_id));
    if (key == by_key_.end()) return;
    const auto found = std::find_if(lists_.begin(), lists_.end(),
                                    [&](const auto &list) { return list.get() == key->second; });
    by_key_.erase(key);
    for (const Tag &tag : (*found)->tags) stale_now_ -= tag.stale ? 1 : 0;
    tags_ -= (*found)->tags.size();
    if (last_list_ == found->get()) last_list_ = nullptr;
    lists_.erase(found);
}

void StaleTags::look() {
    const posix::Clock::Time now = clock_.now();
    if (now < next_look_) return;
    next_look_ = now + after_ / kLooksPerDuration;
    for (const auto &list : lists_) {
        for (Tag &tag : list->tags) {
            if (tag.stale || now - tag.updated < after_) continue;
            tag.stale = true;
            ++stale_now_;
            ++went_stale_;
            say(*list, tag, "stale: no update for", now - tag.updated);
        }
    }
}

void StaleTags::say(const List &list, const Tag &tag, const char *what,
                    posix::Clock::Duration quiet) {
    const double seconds = std::chrono::duration<double>(quiet).count();
    std::fprintf(stream_, "tavlo_t_receiver: %s list %d tag %s %s %.1f s\n",
                 printable_name(list.device).c_str(), list.id, printable_name(tag.name).c_str(),
                 what, seconds);
    std::fflush(stream_);
}

}  // namespace tavlo::accounting
