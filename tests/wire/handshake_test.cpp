// Hello and welcome frames.
#include "handshake.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "wire_format.h"

namespace {

std::vector<unsigned char> payload_of(const std::vector<unsigned char> &frame) {
    return std::vector<unsigned char>(frame.begin() + 5, frame.end());
}

TEST(Handshake, HelloCarriesVersionAndApplicationId) {
    std::vector<unsigned char> frame;
    tavlo::wire::encode_hello("TAVLOUNSOL", 1, frame);
    EXPECT_EQ(frame[4], tavlo::wire::kHello);
    const auto payload = payload_of(frame);
    const auto hello = tavlo::wire::decode_hello(payload.data(), payload.size());
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello->version, 1);
    EXPECT_EQ(hello->app_id, "TAVLOUNSOL");
}

TEST(Handshake, MalformedHellosAreRefused) {
    std::vector<unsigned char> frame;
    tavlo::wire::encode_hello(std::string(40, 'A'), 1, frame);  // cut to 31 characters
    auto good = payload_of(frame);
    ASSERT_TRUE(tavlo::wire::decode_hello(good.data(), good.size()));
    EXPECT_EQ(tavlo::wire::decode_hello(good.data(), good.size())->app_id, std::string(31, 'A'));

    auto bad_magic = good;
    bad_magic[0] = 'X';
    EXPECT_FALSE(tavlo::wire::decode_hello(bad_magic.data(), bad_magic.size()));
    auto unterminated = good;
    std::memset(unterminated.data() + 8, 'B', 32);
    EXPECT_FALSE(tavlo::wire::decode_hello(unterminated.data(), unterminated.size()));
    EXPECT_FALSE(tavlo::wire::decode_hello(good.data(), good.size() - 1));
}

TEST(Handshake, WelcomeCarriesTheVersion) {
    std::vector<unsigned char> frame;
    tavlo::wire::encode_welcome(frame);
    const auto payload = payload_of(frame);
    EXPECT_EQ(tavlo::wire::decode_welcome(payload.data(), payload.size()),
              tavlo::wire::kProtocolVersion);
    EXPECT_FALSE(tavlo::wire::decode_welcome(payload.data(), 3));
}

}  // namespace
