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
    // Move the unread rest to the front, then make room for a whole chunk.
    if (start_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + start_, pending());
        end_ -= start_;
        start_ = 0;
    }
    if (buffer_.size() - end_ < kReadChunk) buffer_.resize(end_ + kReadChunk);
    size = buffer_.size() - end_;
    return buffer_.data() + end_;
}

void FrameReader::commit(std::size_t count) {
    end_ += count;
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

}  // namespace tavlo::wire
