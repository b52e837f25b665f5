// Tags that were seen and then got no update for a while.
#include "stale_tags.h"

#include <algorithm>
#include <chrono>

#include "printable_name.h"

namespace tavlo::accounting {

namespace {

constexpr int kLooksPerDuration = 10;

}  // namespace

StaleTags::StaleTags(posix::Clock::Duration after, std::FILE *stream, posix::Clock &clock)
    : after_(after), stream_(stream), clock_(clock) {}

StaleTags::List &StaleTags::list_of(std::string_view device, int32_t list_id) {
    if (last_list_ != nullptr && last_list_->id == list_id && last_list_->device == device) {
        return *last_list_;
    }
    auto found = std::find_if(lists_.begin(), lists_.end(), [&](const auto &list) {
        return list->id == list_id && list->device == device;
    });
    if (found == lists_.end()) {
        found = lists_.insert(lists_.end(), std::make_unique<List>());
        (*found)->device = device;
        (*found)->id = list_id;
    }
    last_list_ = found->get();
    return *last_list_;
}

StaleTags::Tag *StaleTags::tag_of(List &list, int32_t place, std::string_view name,
                                  posix::Clock::Time now) {
    const auto at = static_cast<std::size_t>(place);
    if (at < list.tags.size() && list.tags[at].name == name) return &list.tags[at];
    std::string key(name);
    if (const auto found = list.index.find(key); found != list.index.end()) {
        return &list.tags[found->second];
    }
    if (tags_ >= kMostTags) {
        ++left_out_;
        return nullptr;
    }
    ++tags_;
    list.index.emplace(key, list.tags.size());
    list.tags.push_back(Tag{std::move(key), now, false});
    return nullptr;  // new: nothing to bring up to date
}

void StaleTags::updated(std::string_view device, int32_t list_id, int32_t place,
                        std::string_view name, posix::Clock::Time now) {
    List &list = list_of(device, list_id);
    Tag *tag = tag_of(list, place, name, now);
    if (tag == nullptr) return;
    if (tag->stale) {
        tag->stale = false;
        --stale_now_;
        say(list, *tag, "updated again after", now - tag->updated);
    }
    tag->updated = now;
}

void StaleTags::forget_list(std::string_view device, int32_t list_id) {
    const auto found = std::find_if(lists_.begin(), lists_.end(), [&](const auto &list) {
        return list->id == list_id && list->device == device;
    });
    if (found == lists_.end()) return;
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
