// The TCP transport over one end of a socket pair, the test playing the
// device at the other end, on a driven clock: the greeting, heartbeats and
// silence, a device that goes away, and frames that break the protocol.
#include "tcp_transport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "device_frames.h"
#include "driven_clock.h"
#include "handshake.h"
#include "transport.h"
#include "wire_format.h"

namespace {

using namespace tavlo::testing;  // the device's frames
using std::chrono::milliseconds;
using tavlo::posix::UniqueFd;
using tavlo::standin::TcpTransport;
using namespace tavlo::standin;  // the error codes

constexpr milliseconds kOneSecond{1000};

// The transport's end of a socket pair and the device's end, which the
// test plays, on a driven clock.
class DeviceLink {
public:
    DeviceLink() {
        int ends[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            ADD_FAILURE() << "socketpair failed";
            return;
        }
        link_.reset(ends[0]);
        device_.reset(ends[1]);
        fcntl(link_.get(), F_SETFL, O_NONBLOCK);
    }

    // What the device says, all at once.
    void send(const Bytes &bytes) {
        ASSERT_EQ(write(device_.get(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }

    void close() { device_.reset(); }

    // The device says no more but still takes what it is sent.
    void stop_sending() { shutdown(device_.get(), SHUT_WR); }

    // The first frame the device received, whole.
    Bytes received() {
        Bytes bytes(256);
        const ssize_t n = ::read(device_.get(), bytes.data(), bytes.size());
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }

    int32_t greet() { return TcpTransport::greet(std::move(link_), "TESTAPP", transport); }

    int32_t read(milliseconds wait = kOneSecond) { return transport->read(wait, records); }

    tavlo::testing::DrivenClock clock;
    std::unique_ptr<Transport> transport;
    tavlo::records::MessageRecords records;

private:
    UniqueFd link_;
    UniqueFd device_;
};

TEST(TcpTransport, AWelcomeOpensTheLinkAfterAHelloWithTheApplicationId) {
    DeviceLink device;
    device.send(welcome());
    ASSERT_EQ(device.greet(), 0);
    const Bytes hello = device.received();
    ASSERT_GT(hello.size(), 5u);
    EXPECT_EQ(hello[4], tavlo::wire::kHello);
    const auto decoded = tavlo::wire::decode_hello(hello.data() + 5, hello.size() - 5);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->app_id, "TESTAPP");
    EXPECT_EQ(decoded->version, tavlo::wire::kProtocolVersion);
    EXPECT_EQ(device.clock.elapsed_ms(), 0);
}

struct GreetingCase {
    const char *what;
    Bytes reply;
    bool device_stops;  // sends no more after the reply
    int32_t error;
    int64_t waited_ms;  // on the driven clock
};

TEST(TcpTransport, EveryAnswerButAWelcomeFailsTheGreeting) {
    const GreetingCase cases[] = {
        {"a refuse", raw_frame(5, tavlo::wire::kRefuse, {1, 0, 0, 0}), false, kRefused, 0},
        {"a heartbeat first", heartbeat() + welcome(), false, kBadFrame, 0},
        {"a welcome of 2 bytes", raw_frame(3, tavlo::wire::kWelcome, {1, 0}), false, kBadFrame, 0},
        {"a welcome of another version", raw_frame(5, tavlo::wire::kWelcome, {2, 0, 0, 0}), false,
         kRefused, 0},
        {"a length of 0", raw_frame(0, tavlo::wire::kWelcome), false, kBadFrame, 0},
        {"silence", {}, false, kConnectFailed, 2000},
        {"half a welcome, then silence", first_half(welcome()), false, kConnectFailed, 2000},
        {"an end of the stream", {}, true, kConnectFailed, 0},
    };
    for (const GreetingCase &c : cases) {
        SCOPED_TRACE(c.what);
        DeviceLink device;
        device.send(c.reply);
        if (c.device_stops) device.stop_sending();
        EXPECT_EQ(device.greet(), c.error);
        EXPECT_EQ(device.transport, nullptr);
        EXPECT_EQ(device.clock.elapsed_ms(), c.waited_ms);
    }
}

TEST(TcpTransport, HeartbeatsKeepASilentDeviceAndFiveSecondsOfNothingLoseIt) {
    DeviceLink device;
    device.send(welcome());
    ASSERT_EQ(device.greet(), 0);
    // Eight seconds with a heartbeat every second: no message, no loss.
    for (int second = 0; second < 8; ++second) {
        device.send(heartbeat());
        ASSERT_EQ(device.read(), kNoMessage) << "second " << second;
    }
    const int64_t last_heard_ms = device.clock.elapsed_ms() - 1000;
    // Then nothing: empty reads until the device is taken for gone, five
    // seconds after its last heartbeat.
    int32_t error = kNoMessage;
    for (int second = 0; second < 10 && error == kNoMessage; ++second) error = device.read();
    EXPECT_EQ(error, kConnectionLost);
    EXPECT_EQ(device.clock.elapsed_ms() - last_heard_ms, tavlo::wire::kSilenceLimitMs);
}

TEST(TcpTransport, BytesThatWaitedInTheSocketWhileTheReaderWasAwayAreAllRead) {
    DeviceLink device;
    device.send(welcome());
    ASSERT_EQ(device.greet(), 0);
    // More than one receive takes, sent while the reader is away for longer
    // than the silence limit.
    Bytes sent;
    int32_t messages = 0;
    while (sent.size() < 80000) sent = sent + message_frame(messages++);
    device.send(sent);
    device.clock.sleep_for(milliseconds(8000));
    for (int32_t k = 0; k < messages; ++k) {
        ASSERT_EQ(device.read(milliseconds(0)), 0) << "message " << k;
        EXPECT_EQ(device.records.sequence, k + 1);
    }
    // Silence counts from when those bytes were read.
    EXPECT_EQ(device.read(), kNoMessage);
}

TEST(TcpTransport, AWaitLongerThanTheSilenceLimitEndsAtTheLimit) {
    DeviceLink device;
    device.send(welcome());
    ASSERT_EQ(device.greet(), 0);
    EXPECT_EQ(device.read(milliseconds(60000)), kConnectionLost);
    EXPECT_EQ(device.clock.elapsed_ms(), tavlo::wire::kSilenceLimitMs);
}

TEST(TcpTransport, WholeFramesBeforeACloseAreReadThenHalfAFrameLosesTheLink) {
    DeviceLink device;
    device.send(welcome() + message_frame(7) + heartbeat() + message_frame(8) +
                first_half(message_frame(9)));
    ASSERT_EQ(device.greet(), 0);
    device.received();  // the hello: the close is then an orderly one, not a reset
    device.close();
    ASSERT_EQ(device.read(), 0);
    EXPECT_EQ(device.records.sequence, 8);
    ASSERT_EQ(device.read(), 0);
    EXPECT_EQ(device.records.sequence, 9);
    EXPECT_EQ(device.read(), kConnectionLost);
    EXPECT_EQ(device.clock.elapsed_ms(), 0) << "a closed link is seen without waiting";
}

struct BrokenFrameCase {
    const char *what;
    Bytes frame;
    int32_t error;
};

TEST(TcpTransport, AFrameThatBreaksTheProtocolFailsTheRead) {
    const BrokenFrameCase cases[] = {
        {"an unknown frame type", raw_frame(1, 9), kBadFrame},
        {"a welcome after the greeting", welcome(), kBadFrame},
        {"a length of 0", raw_frame(0, tavlo::wire::kMessage), kBadFrame},
        {"a message shorter than its header", raw_frame(21, tavlo::wire::kMessage, Bytes(20)),
         kBadFrame},
        {"a refuse", raw_frame(5, tavlo::wire::kRefuse, {1, 0, 0, 0}), kRefused},
    };
    for (const BrokenFrameCase &c : cases) {
        SCOPED_TRACE(c.what);
        DeviceLink device;
        device.send(welcome() + message_frame(2) + c.frame + message_frame(3));
        ASSERT_EQ(device.greet(), 0);
        ASSERT_EQ(device.read(), 0) << "the message before it";
        EXPECT_EQ(device.read(), c.error);
    }
}

}  // namespace
