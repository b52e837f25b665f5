// The text of a report, gathered in a buffer and handed to a stream in one
// write: numbers converted with std::to_chars, texts and blanks copied.
#include "report_writer.h"

#include <algorithm>
#include <charconv>

namespace tavlo::ts {

namespace {

// "%lld" of the smallest long long.
constexpr std::size_t kLongestInteger = 20;
// "%f" of the largest double in magnitude: a sign, 309 digits, the point
// and six decimals.
constexpr std::size_t kLongestFixed = 317;

}  // namespace

void ReportWriter::integer(long long value) {
    char *at = room(kLongestInteger);
    used_ = static_cast<std::size_t>(std::to_chars(at, at + kLongestInteger, value).ptr - buffer_);
}

void ReportWriter::fixed6(double value) {
    char *at = room(kLongestFixed);
    const auto end = std::to_chars(at, at + kLongestFixed, value, std::chars_format::fixed, 6).ptr;
    used_ = static_cast<std::size_t>(end - buffer_);
}

void ReportWriter::blanks(std::size_t count) {
    while (count > 0) {
        if (used_ == kCapacity) flush();
        const std::size_t piece = std::min(count, kCapacity - used_);
        std::memset(buffer_ + used_, ' ', piece);
        used_ += piece;
        count -= piece;
    }
}

void ReportWriter::flush() {
    if (used_ > 0) put(buffer_, used_);
    used_ = 0;
}

char *ReportWriter::room(std::size_t bytes) {
    if (kCapacity - used_ < bytes) flush();
    return buffer_ + used_;
}

void ReportWriter::spill(std::string_view part) {
    flush();
    if (part.size() < kCapacity) {
        text(part);
    } else {
        put(part.data(), part.size());
    }
}

void ReportWriter::put(const char *bytes, std::size_t size) {
    if (text_ != nullptr) {
        text_->append(bytes, size);
    } else {
        std::fwrite(bytes, 1, size, stream_);
    }
}

}  // namespace tavlo::ts
