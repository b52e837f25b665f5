// The call contract of the stand-in's C interface, on a driven clock: the
// order of calls, names at their limits, the pauses of a failed connect and
// the back-off, a connect that keeps its link, and the slots a read fills.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "device_frames.h"
#include "driven_clock.h"
#include "handshake.h"
#include "tavlo.h"
#include "transport.h"
#include "unique_fd.h"
#include "wire_format.h"

namespace {

using namespace tavlo::standin;  // the error codes

// The first error code of a block that holds no entries.
constexpr int32_t kNone = -1;

const std::string k31Characters(31, 'A');
const std::string k32Characters(32, 'A');

int32_t init(const char *app_id) {
    StatusBlock block;
    TAVLO_CLIENT_INIT(app_id, &block);
    return block.error[0];
}

int32_t connect(const char *device) {
    StatusBlock block;
    TAVLO_CLIENT_CONNECT(device, &block);
    return block.error[0];
}

int32_t exit_client() {
    StatusBlock block;
    TAVLO_CLIENT_EXIT(&block);
    return block.error[0];
}

// The slots of a read, the reserved ones holding something a read must
// overwrite.
struct ReadSlots {
    int32_t read(int32_t wait) {
        StatusBlock block;
        TAVLO_CLIENT_READ(wait, &kind, &device, &unit, &list_id, &count, &sequence, &names,
                          &reserved9, &descriptors, &values, &statuses, &timestamps, &reserved14,
                          &reserved15, &block);
        return block.error[0];
    }

    MessageKind kind = 0;
    char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t count = 0;
    int32_t sequence = 0;
    char *names = nullptr;
    void *reserved9 = &unit;
    TypeDescriptor *descriptors = nullptr;
    void *values = nullptr;
    TagStatus *statuses = nullptr;
    TimeRecord *timestamps = nullptr;
    int32_t reserved14 = 77;
    void *reserved15 = &unit;
};

int32_t read_waiting(int32_t wait) {
    ReadSlots slots;
    return slots.read(wait);
}

int32_t read_without_kind() {
    ReadSlots s;
    StatusBlock block;
    TAVLO_CLIENT_READ(0, nullptr, &s.device, &s.unit, &s.list_id, &s.count, &s.sequence, &s.names,
                      nullptr, &s.descriptors, &s.values, &s.statuses, &s.timestamps, nullptr,
                      nullptr, &block);
    return block.error[0];
}

int64_t sum(const std::vector<int64_t> &values) {
    int64_t total = 0;
    for (int64_t v : values) total += v;
    return total;
}

struct CallCase {
    const char *what;
    int32_t (*call)();
    int32_t error;      // the block's first error code
    int64_t paused_ms;  // how long the call slept
};

TEST(ClientCalls, EachCallInTurnGivesItsErrorAndAFailedConnectPauses) {
    const CallCase cases[] = {
        {"exit before any init", [] { return exit_client(); }, kNone, 0},
        {"connect before init", [] { return connect("sim:0"); }, kNotInitialised, 1000},
        {"read before init", [] { return read_waiting(0); }, kNotInitialised, 0},
        {"init without an id", [] { return init(nullptr); }, kBadArgument, 0},
        {"init with an empty id", [] { return init(""); }, kBadArgument, 0},
        {"init with 32 characters", [] { return init(k32Characters.c_str()); }, kBadArgument, 0},
        {"connect after a failed init", [] { return connect("sim:0"); }, kNotInitialised, 1000},
        {"init with 31 characters", [] { return init(k31Characters.c_str()); }, kNone, 0},
        {"read without a connection", [] { return read_waiting(0); }, kNotConnected, 0},
        {"connect without a name", [] { return connect(nullptr); }, kBadArgument, 1000},
        {"connect to an empty name", [] { return connect(""); }, kBadArgument, 1000},
        {"connect to 32 characters", [] { return connect(k32Characters.c_str()); }, kBadArgument,
         1000},
        {"connect to a name no transport takes", [] { return connect(k31Characters.c_str()); },
         kUnknownDevice, 1000},
        {"read after a failed connect", [] { return read_waiting(0); }, kNotConnected, 0},
        {"connect to a message a second", [] { return connect("sim:1000"); }, kNone, 0},
        {"read: the first message at once", [] { return read_waiting(50); }, kNone, 0},
        {"read half a second: none due", [] { return read_waiting(50); }, kNoMessage, 500},
        {"read half a second more: due", [] { return read_waiting(50); }, kNone, 500},
        {"read without waiting: none due", [] { return read_waiting(0); }, kNoMessage, 0},
        {"read without the kind slot", [] { return read_without_kind(); }, kBadArgument, 0},
        {"exit", [] { return exit_client(); }, kNone, 0},
        {"read after exit", [] { return read_waiting(0); }, kNotInitialised, 0},
    };
    tavlo::testing::DrivenClock clock;
    for (const CallCase &c : cases) {
        EXPECT_EQ(c.call(), c.error) << c.what;
        EXPECT_EQ(sum(clock.drain_sleeps()), c.paused_ms) << c.what;
    }
}

TEST(ClientCalls, AConnectToTheSameDeviceKeepsItsLinkAndAReadNullsTheReservedSlots) {
    tavlo::testing::DrivenClock clock;
    ASSERT_EQ(init("TESTAPP"), kNone);
    const char *devices[] = {"sim:0:1700000000", "sim:0:1700000000", "sim:0:1700000000",
                             "sim:0:1700000001", "sim:0:1700000000"};
    const int32_t sequences[] = {1, 2, 3, 1, 1};  // the plant numbers its messages from 1
    for (int k = 0; k < 5; ++k) {
        ReadSlots slots;
        ASSERT_EQ(connect(devices[k]), kNone) << k;
        ASSERT_EQ(slots.read(0), kNone) << k;
        EXPECT_EQ(slots.sequence, sequences[k]) << k;
        EXPECT_EQ(slots.reserved9, nullptr) << k;
        EXPECT_EQ(slots.reserved14, 0) << k;
        EXPECT_EQ(slots.reserved15, nullptr) << k;
    }
    exit_client();
}

// A TCP socket on a free port of the loopback interface, listening or not,
// and the device name that reaches it.
struct LoopbackPort {
    tavlo::posix::UniqueFd socket;
    std::string device;
};

LoopbackPort loopback_port(bool listening) {
    LoopbackPort port{tavlo::posix::UniqueFd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)), ""};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    auto *generic = reinterpret_cast<sockaddr *>(&address);
    if (bind(port.socket.get(), generic, size) != 0 ||
        (listening && listen(port.socket.get(), 4) != 0) ||
        getsockname(port.socket.get(), generic, &size) != 0) {
        ADD_FAILURE() << "no loopback socket";
    }
    port.device = "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    return port;
}

TEST(ClientCalls, AnUnreachableDeviceIsRetriedAfterABackOffThatASuccessStartsAgain) {
    const LoopbackPort refusing = loopback_port(false);  // bound, not listening
    const LoopbackPort device = loopback_port(true);
    tavlo::testing::DrivenClock clock;
    // The device, played in this thread: when the library waits for it, it
    // takes the connection and welcomes the client.
    std::vector<tavlo::posix::UniqueFd> clients;
    clock.on_idle_wait = [&] {
        tavlo::posix::UniqueFd client(
            accept4(device.socket.get(), nullptr, nullptr, SOCK_NONBLOCK));
        std::vector<unsigned char> welcome;
        tavlo::wire::encode_welcome(welcome);
        if (client && write(client.get(), welcome.data(), welcome.size()) > 0) {
            clients.push_back(std::move(client));
        }
    };
    ASSERT_EQ(init("TESTAPP"), kNone);
    const auto pauses_of = [&](const std::vector<std::string> &devices) {
        std::vector<int64_t> pauses;
        for (const std::string &name : devices) {
            EXPECT_GT(connect(name.c_str()), 0) << name;
            pauses.push_back(sum(clock.drain_sleeps()));
        }
        return pauses;
    };
    const std::vector<std::string> six(6, refusing.device);
    EXPECT_EQ(pauses_of(six), (std::vector<int64_t>{500, 1000, 2000, 4000, 5000, 5000}));
    // An unknown name pauses a second and leaves the back-off as it was.
    EXPECT_EQ(pauses_of({"nowhere", refusing.device}), (std::vector<int64_t>{1000, 5000}));
    ASSERT_EQ(connect(device.device.c_str()), kNone);
    EXPECT_EQ(clients.size(), 1u);
    EXPECT_EQ(pauses_of({refusing.device, refusing.device}), (std::vector<int64_t>{500, 1000}));
    exit_client();
}

TEST(ClientCalls, ALinkThatAReadEndsIsConnectedAgainAfterTheBackOff) {
    using namespace tavlo::testing;  // the device's frames
    const LoopbackPort device = loopback_port(true);
    DrivenClock clock;
    // The device, played in this thread: each connection it takes is
    // welcomed and then given what the test says.
    Bytes after_welcome;
    std::vector<tavlo::posix::UniqueFd> clients;
    clock.on_idle_wait = [&] {
        tavlo::posix::UniqueFd client(
            accept4(device.socket.get(), nullptr, nullptr, SOCK_NONBLOCK));
        const Bytes bytes = welcome() + after_welcome;
        if (client && write(client.get(), bytes.data(), bytes.size()) > 0) {
            clients.push_back(std::move(client));
        }
    };
    ASSERT_EQ(init("TESTAPP"), kNone);
    // Each pass connects and reads what breaks the link; the pause before
    // each connect doubles, as for connects that fail, while no link
    // delivers a message.
    const auto pauses_of = [&](int passes, int32_t error) {
        std::vector<int64_t> pauses;
        for (int pass = 0; pass < passes; ++pass) {
            EXPECT_EQ(connect(device.device.c_str()), kNone) << pass;
            pauses.push_back(sum(clock.drain_sleeps()));
            EXPECT_EQ(read_waiting(0), error) << pass;
        }
        return pauses;
    };
    after_welcome = raw_frame(1, 9);  // an unknown frame type
    EXPECT_EQ(pauses_of(6, kBadFrame), (std::vector<int64_t>{0, 500, 1000, 2000, 4000, 5000}));
    after_welcome = raw_frame(5, tavlo::wire::kRefuse, {1, 0, 0, 0});
    EXPECT_EQ(pauses_of(1, kRefused), std::vector<int64_t>{5000});
    // A link that delivers a message has proved itself: its loss starts the
    // back-off again.
    after_welcome = message_frame(0) + raw_frame(1, 9);
    EXPECT_EQ(connect(device.device.c_str()), kNone);
    EXPECT_EQ(read_waiting(0), kNone);
    EXPECT_EQ(read_waiting(0), kBadFrame);
    clock.drain_sleeps();
    after_welcome = raw_frame(1, 9);
    EXPECT_EQ(pauses_of(2, kBadFrame), (std::vector<int64_t>{500, 1000}));
    exit_client();
}

}  // namespace
