// Cuts a byte stream into frames, refusing lengths beyond the bound before
// any of the frame is stored.
#include "frame_reader.h"

#include <cstring>

#include "wire_format.h"

namespace tavlo::wire {

namespace {
constexpr std::size_t kReadChunk = 64 * 1024;

uint32_t little_endian_u32(const unsigned char *bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}
}  // namespace

unsigned char *FrameReader::space(std::size_t &size) {
    // Move the unread rest to the front before the buffer grows.
    if (start_ > 0 && (start_ == buffer_.size() || start_ >= buffer_.size() / 2)) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    const std::size_t used = buffer_.size();
    buffer_.resize(used + kReadChunk);
    size = kReadChunk;
    return buffer_.data() + used;
}

void FrameReader::commit(std::size_t count) {
    buffer_.resize(buffer_.size() - kReadChunk + count);
}

void FrameReader::append(const unsigned char *data, std::size_t count) {
    std::size_t size = 0;
    while (count > 0) {
        unsigned char *target = space(size);
        const std::size_t taken = count < size ? count : size;
        std::memcpy(target, data, taken);
        commit(taken);
        data += taken;
        count -= taken;
    }
}

FrameReader::Status FrameReader::next(Frame &frame) {
    if (pending() < kLengthPrefix) return Status::kNeedMore;
    const unsigned char *at = buffer_.data() + start_;
    const uint32_t length = little_endian_u32(at);
    if (length == 0 || length > kLongestFrame) return Status::kBad;
    if (pending() < kLengthPrefix + length) return Status::kNeedMore;
    frame.type = at[kLengthPrefix];
    frame.payload = at + kLengthPrefix + 1;
    frame.length = length - 1;
    start_ += kLengthPrefix + length;
    return Status::kFrame;
}

void FrameReader::clear() {
    buffer_.clear();
    start_ = 0;
}

}  // namespace tavlo::wire
