// The filters of the receiver's output: message kinds, list ids, and tag
// names matched against shell-style patterns.
#include "message_filter.h"

#include <algorithm>
#include <cstring>

#include "name_pattern.h"
#include "record_sizes.h"

namespace tavlo::receiver {

namespace {

template <typename T>
bool allowed(const std::vector<T> &allowed_values, T value) {
    return allowed_values.empty() ||
           std::find(allowed_values.begin(), allowed_values.end(), value) != allowed_values.end();
}

// The end of the bracket expression that opens at `at` ('['), or npos.
// Within it "[:class:]" and a backslash's next character stand for
// themselves, and a ']' right after the '[' or "[!" belongs to it.
std::size_t bracket_end(const std::string &pattern, std::size_t at) {
    std::size_t k = at + 1;
    if (k < pattern.size() && (pattern[k] == '!' || pattern[k] == '^')) ++k;
    if (k < pattern.size() && pattern[k] == ']') ++k;
    while (k < pattern.size() && pattern[k] != ']') {
        if (pattern[k] == '\\') {
            ++k;
        } else if (pattern.compare(k, 2, "[:") == 0) {
            const std::size_t class_end = pattern.find(":]", k + 2);
            if (class_end == std::string::npos) return std::string::npos;
            k = class_end + 1;
        }
        ++k;
    }
    return k < pattern.size() ? k : std::string::npos;
}

}  // namespace

std::string pattern_problem(const std::string &pattern) {
    for (std::size_t k = 0; k < pattern.size(); ++k) {
        if (pattern[k] == '\\') {
            if (++k == pattern.size()) return "'" + pattern + "' ends in a lone backslash";
        } else if (pattern[k] == '[') {
            k = bracket_end(pattern, k);
            if (k == std::string::npos) return "'" + pattern + "' has a '[' without its ']'";
        }
    }
    return {};
}

bool MessageFilter::passes(const ReceivedMessage &message) const {
    return allowed(settings_.kinds, message.view.kind) &&
           allowed(settings_.list_ids, message.view.list_id);
}

TagSelection MessageFilter::select_tags(const ReceivedMessage &message) {
    const int32_t count = std::max(message.view.count, 0);
    if (settings_.tag_patterns.empty()) return {nullptr, count};
    shown_.assign(static_cast<std::size_t>(count), 0);
    TagSelection selection{shown_.data(), 0};
    char name[records::kFullNameStride + 1];
    for (int32_t k = 0; k < count; ++k) {
        const std::string_view text = unpadded(message.name(k));
        const std::size_t length = std::min(text.size(), sizeof name - 1);
        std::memcpy(name, text.data(), length);
        name[length] = '\0';
        for (const std::string &pattern : settings_.tag_patterns) {
            if (posix::matches_pattern(pattern.c_str(), name)) {
                shown_[static_cast<std::size_t>(k)] = 1;
                ++selection.count;
                break;
            }
        }
    }
    return selection;
}

}  // namespace tavlo::receiver
