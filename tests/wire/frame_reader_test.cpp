// Cutting a byte stream into frames, whatever pieces it arrives in.
#include "frame_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "wire_format.h"

namespace {

using tavlo::wire::Frame;
using tavlo::wire::FrameReader;
using Status = FrameReader::Status;
using tavlo::testing::Bytes;
using tavlo::testing::bytes_of;
using tavlo::testing::text_bytes;
using tavlo::testing::operator+;

Bytes frame(uint8_t type, const std::string &payload) {
    return bytes_of(static_cast<uint32_t>(payload.size() + 1)) + Bytes{type} + text_bytes(payload);
}

std::vector<std::string> frames_in(FrameReader &reader) {
    std::vector<std::string> found;
    Frame f;
    while (reader.next(f) == Status::kFrame) {
        found.push_back(std::to_string(f.type) + ":" +
                        std::string(reinterpret_cast<const char *>(f.payload), f.length));
    }
    return found;
}

TEST(FrameReader, FramesComeWholeWhateverThePieces) {
    std::vector<unsigned char> stream = frame(3, "first");
    const auto second = frame(4, "");
    const auto third = frame(3, std::string(70000, 'x'));
    stream.insert(stream.end(), second.begin(), second.end());
    stream.insert(stream.end(), third.begin(), third.end());
    const std::vector<std::string> expected = {"3:first", "4:", "3:" + std::string(70000, 'x')};
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}, stream.size()}) {
        FrameReader reader;
        std::vector<std::string> found;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            reader.append(stream.data() + at, std::min(piece, stream.size() - at));
            const auto more = frames_in(reader);
            found.insert(found.end(), more.begin(), more.end());
        }
        EXPECT_EQ(found, expected) << "pieces of " << piece;
        EXPECT_EQ(reader.pending(), 0u);
    }
}

TEST(FrameReader, LengthsOfZeroOrBeyondTheLongestAreBadAtOnce) {
    for (uint32_t length : {0u, tavlo::wire::kLongestFrame + 1, 0xFFFFFFFFu}) {
        FrameReader reader;
        const unsigned char prefix[4] = {
            static_cast<unsigned char>(length), static_cast<unsigned char>(length >> 8),
            static_cast<unsigned char>(length >> 16), static_cast<unsigned char>(length >> 24)};
        reader.append(prefix, 4);
        Frame f;
        EXPECT_EQ(reader.next(f), Status::kBad) << length;
    }
}

TEST(FrameReader, TheLongestFrameIsAccepted) {
    FrameReader reader;
    const auto longest = frame(3, std::string(tavlo::wire::kLongestFrame - 1, 'y'));
    reader.append(longest.data(), longest.size() - 1);
    Frame f;
    EXPECT_EQ(reader.next(f), Status::kNeedMore);
    reader.append(longest.data() + longest.size() - 1, 1);
    ASSERT_EQ(reader.next(f), Status::kFrame);
    EXPECT_EQ(f.length, tavlo::wire::kLongestFrame - 1);
}

}  // namespace
