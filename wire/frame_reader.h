// Cuts a byte stream into frames, refusing lengths beyond the bound before
// any of the frame is stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavlo::wire {

struct Frame {
    uint8_t type = 0;
    const unsigned char *payload = nullptr;  // valid until the next space() or append()
    std::size_t length = 0;
};

class FrameReader {
public:
    enum class Status { kNeedMore, kFrame, kBad };

    // Where the next bytes from the stream go, and how many fit there (at
    // least 64 KiB). A frame from next() stays valid until then.
    unsigned char *space(std::size_t &size);
    // Takes `count` bytes written at space().
    void commit(std::size_t count);
    void append(const unsigned char *data, std::size_t count);

    // The next whole frame, kNeedMore until one has arrived, or kBad for a
    // length of 0 or beyond the longest frame.
    Status next(Frame &frame);

    // Bytes received but not yet taken as frames.
    std::size_t pending() const { return end_ - start_; }

private:
    std::vector<unsigned char> buffer_;  // storage; grows only for a longer frame
    std::size_t start_ = 0;              // first byte not taken yet
    std::size_t end_ = 0;                // end of the bytes received
};

}  // namespace tavlo::wire
