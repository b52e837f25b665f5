// The filters of the receiver's output: message kinds, list ids, and tag
// names matched against shell-style patterns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "received_message.h"

namespace tavlo::receiver {

struct FilterSettings {
    std::vector<MessageKind> kinds;         // empty: every kind
    std::vector<int32_t> list_ids;          // empty: every list
    std::vector<std::string> tag_patterns;  // empty: every tag
};

// The tags of a message that the filters leave.
struct TagSelection {
    const unsigned char *shown = nullptr;  // null: every tag; else shown[k] != 0 for tag k
    int32_t count = 0;                     // how many tags are left

    bool includes(int32_t k) const { return shown == nullptr || shown[k] != 0; }
};

// Why a --tag pattern is refused, or "" for a good one: a '[' without its
// ']', or a backslash at its end.
std::string pattern_problem(const std::string &pattern);

class MessageFilter {
public:
    explicit MessageFilter(FilterSettings settings) : settings_(std::move(settings)) {}

    // Whether the message's kind and list id pass.
    bool passes(const ReceivedMessage &message) const;

    // The tags whose name, without its padding, matches one of the
    // patterns (fnmatch, byte by byte). Valid until the next call.
    TagSelection select_tags(const ReceivedMessage &message);

private:
    FilterSettings settings_;
    std::vector<unsigned char> shown_;  // keeps its capacity from message to message
};

}  // namespace tavlo::receiver
