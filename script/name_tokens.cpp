// The script tokens of the names of a message, kept for the lists written
// lately.
#include "name_tokens.h"

#include <cstring>

#include "message_records.h"
#include "script_writer.h"
#include "text_tokens.h"

namespace tavlo::script {

namespace {

// The lists whose tokens are kept, and the most names and bytes of name
// entries that a list may have to be kept.
constexpr std::size_t kListsKept = 16;
constexpr int32_t kMostNamesKept = 4096;
constexpr std::size_t kMostEntryBytesKept = std::size_t{64} << 10;

std::size_t entry_bytes(const ReadMessage &read) {
    if (read.names == nullptr || read.name_stride <= 0 || read.count <= 0) return 0;
    return static_cast<std::size_t>(read.count) * static_cast<std::size_t>(read.name_stride);
}

// The name of entry `k` for a script: the bytes up to its NUL, without the
// blanks that pad it to its last byte, or with the NUL when it comes before
// that byte. An entry without a NUL (a caller stepping by a smaller stride
// than the library's) keeps as many bytes as an entry can.
std::string_view name_of(const ReadMessage &read, int32_t k) {
    if (read.names == nullptr || read.name_stride <= 0) return {};
    const auto stride = static_cast<std::size_t>(read.name_stride);
    const char *entry = read.names + static_cast<std::size_t>(k) * stride;
    const std::size_t length = strnlen(entry, stride);
    if (length < stride - 1) return {entry, length + 1};
    std::size_t end = stride - 1;
    while (end > 0 && entry[end - 1] == ' ') --end;
    return {entry, end};
}

}  // namespace

bool NameList::made_from(const ReadMessage &read) const {
    return read.list_id == list_id_ && read.name_stride == stride_ && read.count == count_ &&
           (read.names != nullptr) == has_entries_ &&
           (entries_.empty() || std::memcmp(read.names, entries_.data(), entries_.size()) == 0);
}

void NameList::make(const ReadMessage &read) {
    list_id_ = read.list_id;
    stride_ = read.name_stride;
    count_ = read.count;
    has_entries_ = read.names != nullptr;
    entries_.assign(read.names, read.names + entry_bytes(read));
    tokens_.clear();
    starts_.assign(1, 0);
    all_compact_in_full_entries_ = read.name_stride == records::kFullNameStride;
    for (int32_t k = 0; k < read.count; ++k) {
        const std::string_view name = name_of(read, k);
        all_compact_in_full_entries_ =
            all_compact_in_full_entries_ && name.size() < records::kCompactNameStride;
        append_token(tokens_, name);
        starts_.push_back(tokens_.size());
    }
}

const NameList &NameTokens::of(const ReadMessage &read) {
    if (read.count > kMostNamesKept || entry_bytes(read) > kMostEntryBytesKept) {
        large_.make(read);
        return large_;
    }
    if (large_.held() > kMostEntryBytesKept) large_ = NameList();
    for (const NameList &list : lists_) {
        if (list.made_from(read)) return list;
    }
    for (NameList &list : lists_) {
        if (list.list_id_ == read.list_id) {
            list.make(read);
            return list;
        }
    }
    if (lists_.size() < kListsKept) {
        lists_.emplace_back().make(read);
        return lists_.back();
    }
    NameList &replaced = lists_[next_replaced_];
    next_replaced_ = (next_replaced_ + 1) % kListsKept;
    replaced.make(read);
    return replaced;
}

}  // namespace tavlo::script
