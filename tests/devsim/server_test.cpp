// The simulator's server in the test's own thread, on a driven clock: slow
// clients at full speed and paced, the rules before a HELLO, and a script
// replayed at its recorded pace, with no real wait.
#include "server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <limits>

#include "driven_clock.h"
#include "frame_reader.h"
#include "message_codec.h"
#include "temporary_files.h"

namespace {

namespace devsim = tavlo::devsim;
namespace wire = tavlo::wire;

std::vector<unsigned char> hello_frame(const std::string &app_id = "TEST") {
    std::vector<unsigned char> hello;
    wire::encode_hello(app_id, wire::kProtocolVersion, hello);
    return hello;
}

// A client in the test's thread. A small receive buffer makes the server's
// own queue fill soon when the client pauses.
struct Client {
    Client(int port, int receive_buffer) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
        if (receive_buffer > 0) {
            setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    }

    void send_bytes(const std::vector<unsigned char> &bytes) {
        EXPECT_EQ(send(fd.get(), bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
    }

    // Takes what has arrived, unless paused: the numbers of the plant's
    // messages (its sequence is the number + 1) and when they came, the
    // WELCOME, the close.
    void read(int64_t now) {
        for (ssize_t n = 0; !paused && !closed && n >= 0;) {
            std::size_t room = 0;
            unsigned char *space = reader.space(room);
            n = recv(fd.get(), space, room, MSG_DONTWAIT);
            closed = n == 0 || (n < 0 && errno != EAGAIN);
            reader.commit(n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        wire::Frame frame;
        tavlo::records::MessageRecords records;
        while (reader.next(frame) == wire::FrameReader::Status::kFrame) {
            welcomed = welcomed || frame.type == wire::kWelcome;
            if (frame.type == wire::kMessage &&
                wire::decode_message(frame.payload, frame.length, records)) {
                numbers.push_back(records.sequence - 1);
                arrived_ms.push_back(now);
            }
        }
    }

    bool in_order_without_gaps() const {
        return std::adjacent_find(numbers.begin(), numbers.end(),
                                  [](int64_t a, int64_t b) { return b != a + 1; }) == numbers.end();
    }

    tavlo::posix::UniqueFd fd;
    wire::FrameReader reader;
    bool paused = false;
    bool closed = false;
    bool welcomed = false;
    std::vector<int64_t> numbers;
    std::vector<int64_t> arrived_ms;
};

// A server of the plant on a free port, its lines kept in memory, and its
// clock: the time moves on, by the whole wait the server asked for, only
// when no socket is ready, even after the clients have read.
class Rig {
public:
    explicit Rig(const devsim::DevsimOptions &options)
        : Rig(options, std::make_unique<devsim::PlantSource>(
                           0, static_cast<int32_t>(std::max<int64_t>(options.interval_ms, 1)), 0)) {
    }
    Rig(devsim::DevsimOptions options, std::unique_ptr<devsim::MessageSource> source) {
        options.port = 0;
        clock_.on_idle_wait = [this] { read_all(); };
        server_ = std::make_unique<devsim::Server>(options, std::move(source), clock_, log_);
        std::string error;
        EXPECT_TRUE(server_->listen(error)) << error;
        port_ = std::stoi(server_->address().substr(server_->address().rfind(':') + 1));
    }
    ~Rig() {
        server_.reset();
        std::fclose(log_);
        std::free(log_text_);
    }

    Client &connect(int receive_buffer = 0) {
        return *clients_.emplace_back(std::make_unique<Client>(port_, receive_buffer));
    }

    Client &join(int receive_buffer = 0) {
        Client &client = connect(receive_buffer);
        client.send_bytes(hello_frame());
        run_until([&client] { return client.welcomed; }, 1000);
        EXPECT_TRUE(client.welcomed);
        return client;
    }

    // Runs the loop until `done` or for `limit_ms` of driven time, and
    // returns the driven time it ran.
    int64_t run_until(const std::function<bool()> &done, int64_t limit_ms) {
        const int64_t start = clock_.elapsed_ms();
        for (int steps = 0;
             !ended_ && steps < 2000000 && clock_.elapsed_ms() - start < limit_ms && !done();
             ++steps) {
            ended_ = !server_->step();
            read_all();
        }
        return clock_.elapsed_ms() - start;
    }

    devsim::Server &server() { return *server_; }
    bool ended() const { return ended_; }

    std::string log() {
        std::fflush(log_);
        return std::string(log_text_, log_size_);
    }

private:
    void read_all() {
        for (auto &client : clients_) client->read(clock_.elapsed_ms());
    }

    tavlo::testing::DrivenClock clock_;
    char *log_text_ = nullptr;
    std::size_t log_size_ = 0;
    std::FILE *log_ = open_memstream(&log_text_, &log_size_);
    std::unique_ptr<devsim::Server> server_;
    int port_ = 0;
    bool ended_ = false;  // step() said the server is done
    std::vector<std::unique_ptr<Client>> clients_;
};

TEST(SlowClients, OneClientThatStopsReadingIsDroppedUnlessAskedToWait) {
    struct Case {
        int64_t interval_ms;
        devsim::SlowClient mode;
        const char *drop_line;  // its end; nullptr: the server waits for the slow client
    };
    const Case cases[] = {
        {10, devsim::SlowClient::kDrop,
         " bytes waiting for it, more than the 65536 of --max-queue\n"},
        {0, devsim::SlowClient::kDrop, "client 2 dropped: took nothing for 5 s\n"},
        {10, devsim::SlowClient::kWait, nullptr},
        {0, devsim::SlowClient::kWait, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.interval_ms) + (c.drop_line ? " ms, drop" : " ms, wait"));
        devsim::DevsimOptions options;
        options.interval_ms = c.interval_ms;
        options.slow_client = c.mode;
        options.max_queue_bytes = 65536;
        Rig rig(options);
        Client &fast = rig.join();
        rig.join(4096).paused = true;
        const std::string dropped = "client 2 dropped: ";
        rig.run_until([&] { return rig.log().find(dropped) != std::string::npos; }, 120000);
        // Then the fast client gets 500 messages more, at the pace, unless
        // everyone waits for the slow one.
        const std::size_t before = fast.numbers.size();
        const int64_t took =
            rig.run_until([&] { return fast.numbers.size() >= before + 500; }, 20000);
        const std::string log = rig.log();
        if (c.drop_line != nullptr) {
            EXPECT_EQ(log.find(dropped), log.rfind(dropped)) << "one line";
            EXPECT_NE(log.find(c.drop_line, log.find(dropped)), std::string::npos) << log;
            EXPECT_GE(fast.numbers.size(), before + 500);
            // Paced, within a fifth of the pace (the margin is for the
            // kernel, whose delays the driven clock cannot see).
            if (c.interval_ms > 0) {
                EXPECT_LE(took, 600 * c.interval_ms);
            }
        } else {
            EXPECT_EQ(log.find(dropped), std::string::npos) << log;
            // Nothing, or the messages the slow client's socket lets through
            // when the kernel makes room in it: a few hundred at most on a
            // loaded machine, where a server that did not wait sends the
            // 500 in the first driven milliseconds.
            EXPECT_LT(fast.numbers.size(), before + 500) << "everyone waits for the slowest";
        }
        EXPECT_TRUE(fast.in_order_without_gaps());
        EXPECT_GE(before, 100u);
    }
}

// A receiver whose reader pauses for 8 s must lose nothing at 10 ms a
// message; the default mark holds such a pause even at 1 ms, more than the
// socket buffers of both ends do.
TEST(SlowClients, AReaderThatPausesEightSecondsLosesNothing) {
    devsim::DevsimOptions options;
    options.interval_ms = 1;
    Rig rig(options);
    Client &reader = rig.join(4096);
    const auto never = [] { return false; };
    rig.run_until(never, 1000);
    reader.paused = true;
    rig.run_until(never, 8000);
    reader.paused = false;
    rig.run_until([&reader] { return reader.numbers.size() >= 10000; }, 30000);
    EXPECT_FALSE(reader.closed) << rig.log();
    ASSERT_GE(reader.numbers.size(), 10000u);
    EXPECT_EQ(reader.numbers.front(), 0);
    EXPECT_TRUE(reader.in_order_without_gaps());
}

TEST(Handshake, OnlyOneHelloOfItsSizeWithinTwoSecondsKeepsAConnection) {
    const auto hello = hello_frame();
    const auto changed = [&hello](std::size_t at, unsigned char value) {
        auto bytes = hello;
        bytes.resize(std::max(bytes.size(), at + 1));
        bytes[at] = value;
        return bytes;
    };
    const std::string broke = "client 1 broke the protocol\n";
    const std::string late = "client 1 dropped: no HELLO within 2 s\n";
    const std::string welcomed = "client 1 connected (application TEST)\n";
    struct Case {
        const char *what;
        std::vector<unsigned char> bytes;
        int64_t closed_after_ms;  // -1: still open after 5 s
        std::string log;
    };
    const Case cases[] = {
        {"nothing", {}, 2000, late},
        {"part of a hello", {hello.begin(), hello.begin() + 10}, 2000, late},
        {"another length (16 MiB more)", changed(3, 1), 0, broke},
        {"another frame type", changed(4, wire::kMessage), 0, broke},
        {"a bad magic", changed(5, 'X'), 0, broke},
        {"a byte after the hello", changed(hello.size(), 0), 0, welcomed + broke},
        {"a hello", hello, -1, welcomed},
        // Terminal controls, DEL and UTF-8 as \xHH, printable ASCII as it is.
        {"a hostile application id", hello_frame("X\033]0;pwned\007\033[2J\x7f\xc3\xa9 ~\\"), -1,
         "client 1 connected (application X\\x1b]0;pwned\\x07\\x1b[2J\\x7f\\xc3\\xa9 ~\\)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(devsim::DevsimOptions{});
        Client &client = rig.connect();
        if (!c.bytes.empty()) client.send_bytes(c.bytes);
        const int64_t took = rig.run_until([&client] { return client.closed; }, 5000);
        EXPECT_EQ(rig.log(), c.log);
        EXPECT_EQ(client.closed, c.closed_after_ms >= 0);
        if (c.closed_after_ms >= 0) {
            // At once, or at the deadline (the margin as above).
            EXPECT_GE(took, c.closed_after_ms);
            EXPECT_LT(took, c.closed_after_ms + 1000);
        }
    }
}

// A script of four messages recorded 0, 100, 350 and 1000 ms after the
// first, with their sequence numbers 1 to 4.
const char kRecorded[] =
    "message GET P 1 2 at=100\ntag A LONG LONG 1 -1 0 0 0\n"
    "message GET P 1 2 at=100.100\ntag A LONG LONG 2 -1 0 0 0\n"
    "message GET P 1 2 at=100.350\ntag A LONG LONG 3 -1 0 0 0\n"
    "message GET P 1 2 at=101\ntag A LONG LONG 4 -1 0 0 0\n";

std::unique_ptr<devsim::MessageSource> script_source(const std::string &path, int64_t passes) {
    auto source = std::make_unique<devsim::ScriptSource>();
    EXPECT_EQ(source->open(path, passes), "");
    return source;
}

// The same four messages with a clock set back 11 s after the second: the
// second pass still starts right after the first pass's last message.
const char kSetBack[] =
    "message GET P 1 2 at=100\ntag A LONG LONG 1 -1 0 0 0\n"
    "message GET P 1 2 at=101\ntag A LONG LONG 2 -1 0 0 0\n"
    "message GET P 1 2 at=90\ntag A LONG LONG 3 -1 0 0 0\n"
    "message GET P 1 2 at=92\ntag A LONG LONG 4 -1 0 0 0\n";

TEST(RecordedPace, MessagesKeepTheirRecordedDistancesOverEveryPass) {
    constexpr auto recorded = devsim::PaceKind::kRecorded;
    struct Case {
        devsim::PaceKind pace;
        double speed;
        int64_t interval_ms;
        std::vector<int64_t> arrived_ms;  // from the first, over two passes
        const char *script = kRecorded;
    };
    const Case cases[] = {
        {devsim::PaceKind::kRecorded, 1, 1000, {0, 100, 350, 1000, 1000, 1100, 1350, 2000}},
        {devsim::PaceKind::kRecorded, 10, 1000, {0, 10, 35, 100, 100, 110, 135, 200}},
        {devsim::PaceKind::kRecorded, 0.5, 1000, {0, 200, 700, 2000, 2000, 2200, 2700, 4000}},
        {devsim::PaceKind::kRecorded, 0, 1000, {0, 0, 0, 0, 0, 0, 0, 0}},
        {devsim::PaceKind::kInterval, 1, 30, {0, 30, 60, 90, 120, 150, 180, 210}},
        {recorded, 1, 1000, {0, 1000, 1000, 3000, 3000, 4000, 4000, 6000}, kSetBack},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.speed);
        devsim::DevsimOptions options;
        options.pace = c.pace;
        options.speed = c.speed;
        options.interval_ms = c.interval_ms;
        const tavlo::testing::TemporaryFile script(c.script);
        Rig rig(options, script_source(script.path(), 2));
        Client &client = rig.join();
        rig.run_until([&client] { return client.numbers.size() >= 8; }, 10000);
        ASSERT_EQ(client.numbers.size(), 8u) << rig.log();
        std::vector<int64_t> arrived;
        for (const int64_t ms : client.arrived_ms) arrived.push_back(ms - client.arrived_ms[0]);
        EXPECT_EQ(arrived, c.arrived_ms);
        EXPECT_EQ(client.numbers, (std::vector<int64_t>{0, 1, 2, 3, 0, 1, 2, 3}));
        rig.run_until([] { return false; }, 3000);
        EXPECT_EQ(client.numbers.size(), 8u) << "two passes only";
        EXPECT_NE(rig.log().find("all messages of the script sent\n"), std::string::npos);
    }
}

TEST(RecordedPace, AMessageWithoutATimeOrWithAnEarlierOneGoesRightAfterTheOneBefore) {
    devsim::DevsimOptions options;
    options.pace = devsim::PaceKind::kRecorded;
    options.speed = 2;
    devsim::Pace pace(options);
    const std::optional<int64_t> none;
    struct Step {
        std::optional<int64_t> received;  // milliseconds
        int64_t now;                      // when the message before went out
        int64_t due;
    };
    const Step steps[] = {
        {none, 5000, 5000},   // no time: the distances count from the next
        {10000, 5001, 5000},  // right after the one before
        {10500, 5002, 5250},  // 500 ms recorded at speed 2
        {none, 5300, 5250},   // right after the one before
        {11000, 5301, 5500},  // 1000 ms from the first with a time
        {9000, 9000, 5500},   // earlier: right after, late as it is
        {9400, 9001, 5700},   // 400 ms from it
    };
    for (const Step &s : steps) EXPECT_EQ(pace.next_due(s.received, s.now), s.due) << s.now;
}

// A distance that a tiny speed or a far time makes longer than any time
// there is leaves the message due at the latest time: never, not at once.
TEST(RecordedPace, ADistancePastTheRangeOfTimesIsNeverDue) {
    constexpr int64_t kLatest = std::numeric_limits<int64_t>::max();
    struct Case {
        double speed;
        int64_t first;  // milliseconds
        int64_t second;
        int64_t now;  // when the first went out
        int64_t due;  // the second's
    };
    const Case cases[] = {
        {1e-22, 0, 1, 5000, kLatest},
        {1000 / 0x1p63, 0, 1000, 5000, kLatest},  // 2^63 ms
        {1000 / 0x1p62, 0, 1000, 5000, 5000 + (int64_t{1} << 62)},
        {1, 0, 2147483647999, kLatest - 10, kLatest},
        {1, 0, 2147483647999, -1000, 2147483647999 - 1000},
        {0.000001, 100000, 101000, 0, 1000000000},
        {4.9e-324, 100000, 100000, 7, 7},  // no distance at all
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.speed);
        devsim::DevsimOptions options;
        options.pace = devsim::PaceKind::kRecorded;
        options.speed = c.speed;
        devsim::Pace pace(options);
        EXPECT_EQ(pace.next_due(c.first, c.now), c.now);
        EXPECT_EQ(pace.next_due(c.second, c.now + 1), c.due);
    }
}

TEST(RecordedPace, ALineInErrorEndsTheScriptWhereItIsAndPassesRepeat) {
    const tavlo::testing::TemporaryDirectory folder;
    const std::string broken = folder.write(
        "broken", "message GET P 1 2\ntag A LONG LONG 1 -1 0 0 0\nmessage GET P 1 2\ntag A\n");
    const std::string empty = folder.write("empty", "# nothing\n");
    const std::string good = folder.write("good", kRecorded);
    struct Case {
        std::string path;
        int64_t passes;
        std::size_t messages;
        std::string log_end;
        bool exit_at_end = false;  // and so the server ends
    };
    const std::string end = "stopped at the end of the script\n";
    const Case cases[] = {
        {broken, 3, 1,
         broken + ":4: a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY "
                  "DRIVER_STATUS TIMESTAMP: the script ends here\n"},
        {empty, 0, 0, "all messages of the script sent\n"},
        {good, 3, 12, "all messages of the script sent\n"},
        {good, 0, 400, ""},
        {broken, 3, 1, "the script ends here\n" + end, true},
        {good, 3, 12, "all messages of the script sent\n" + end, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.passes));
        devsim::DevsimOptions options;
        options.interval_ms = 0;
        options.exit_at_end = c.exit_at_end;
        Rig rig(options, script_source(c.path, c.passes));
        Client &client = rig.join();
        rig.run_until([&] { return client.numbers.size() >= c.messages + 1; }, 2000);
        EXPECT_EQ(rig.ended(), c.exit_at_end);
        if (c.passes > 0) {
            EXPECT_EQ(client.numbers.size(), c.messages);
        } else {
            EXPECT_GE(client.numbers.size(), c.messages);
        }
        const std::string log = rig.log();
        EXPECT_EQ(log.substr(log.size() - std::min(log.size(), c.log_end.size())), c.log_end);
        EXPECT_EQ(rig.server().script_broken(), c.path == broken);
    }
}

}  // namespace
