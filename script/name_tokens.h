// The script tokens of the names of a message, kept for the lists written
// lately: a device sends a list's names again and again, and a message whose
// name entries are those of the message before of its list copies their
// tokens instead of making them anew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "text_buffer.h"

namespace tavlo::script {

struct ReadMessage;

// The name tokens of one message.
class NameList {
public:
    // The token of name entry `k`.
    std::string_view token(int32_t k) const {
        const auto i = static_cast<std::size_t>(k);
        return {tokens_.data() + starts_[i], starts_[i + 1] - starts_[i]};
    }
    // Whether the 256-byte entries hold only names that the compact layout
    // would hold (the simulator lays those out compact unless told).
    bool all_compact_in_full_entries() const { return all_compact_in_full_entries_; }

private:
    friend class NameTokens;

    // Whether the entries of `read` are those this list was made from.
    bool made_from(const ReadMessage &read) const;
    void make(const ReadMessage &read);
    // The bytes this list keeps.
    std::size_t held() const {
        return entries_.capacity() + tokens_.capacity() + starts_.capacity() * sizeof(std::size_t);
    }

    int32_t list_id_ = 0;
    int32_t stride_ = 0;
    int32_t count_ = -1;  // made from nothing yet
    bool has_entries_ = false;
    std::vector<char> entries_;  // count_ entries of stride_ bytes
    TextBuffer tokens_;          // the tokens one after another
    std::vector<std::size_t> starts_;
    bool all_compact_in_full_entries_ = false;
};

class NameTokens {
public:
    // The name tokens of `read`; valid until the next call.
    const NameList &of(const ReadMessage &read);

private:
    std::vector<NameList> lists_;
    std::size_t next_replaced_ = 0;
    NameList large_;  // names too many to keep: made for each message
};

}  // namespace tavlo::script
