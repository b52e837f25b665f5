// The simulator's server in the test's own thread, on a driven clock: slow
// clients at full speed and paced, and the rules before a HELLO, with no
// real wait.
#include "server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame_reader.h"
#include "message_codec.h"

namespace {

namespace devsim = tavlo::devsim;
namespace wire = tavlo::wire;
using tavlo::posix::UniqueFd;

// The server's time moves on only when no socket is ready, even after the
// test's readers had their turn: then by the whole wait the server asked for.
class DrivenLoopClock final : public devsim::LoopClock {
public:
    int64_t now_ms() override { return now_; }

    int wait(pollfd *fds, nfds_t count, int timeout_ms) override {
        int ready = poll(fds, count, 0);
        if (ready == 0 && on_idle) {
            on_idle();
            ready = poll(fds, count, 0);
        }
        if (ready == 0) now_ += timeout_ms;
        return ready;
    }

    std::function<void()> on_idle;

private:
    int64_t now_ = 0;
};

// A client in the test's thread: what it sends, and the frames it got.
class Client {
public:
    // Connects; a small receive buffer makes the server's own queue fill
    // soon when the client stops reading.
    explicit Client(int port, int receive_buffer = 0) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        if (receive_buffer > 0) {
            setsockopt(fd_.get(), SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
        }
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
        EXPECT_EQ(connect(fd_.get(), reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    }

    void send_bytes(const std::vector<unsigned char> &bytes) {
        EXPECT_EQ(send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }

    void say_hello() {
        std::vector<unsigned char> hello;
        wire::encode_hello("TEST", wire::kProtocolVersion, hello);
        send_bytes(hello);
    }

    // Takes what has arrived, unless the client pauses.
    void read() {
        while (!paused && !closed) {
            std::size_t room = 0;
            unsigned char *space = reader_.space(room);
            const ssize_t n = recv(fd_.get(), space, room, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) break;
            closed = n <= 0;
            reader_.commit(n > 0 ? static_cast<std::size_t>(n) : 0);
        }
        wire::Frame frame;
        tavlo::records::MessageRecords records;
        while (reader_.next(frame) == wire::FrameReader::Status::kFrame) {
            welcomed = welcomed || frame.type == wire::kWelcome;
            if (frame.type == wire::kMessage &&
                wire::decode_message(frame.payload, frame.length, records)) {
                numbers.push_back(records.sequence - 1);  // the plant's sequence is n + 1
            }
        }
    }

    // Whether every message got follows the one before it.
    bool in_order_without_gaps() const {
        for (std::size_t k = 1; k < numbers.size(); ++k) {
            if (numbers[k] != numbers[k - 1] + 1) return false;
        }
        return true;
    }

    bool paused = false;
    bool closed = false;
    bool welcomed = false;
    std::vector<int64_t> numbers;  // of the plant's messages, in order

private:
    UniqueFd fd_;
    wire::FrameReader reader_;
};

// A server of the plant on a free port, its lines in memory, its clients
// reading whenever its loop would wait.
class Rig {
public:
    explicit Rig(devsim::DevsimOptions options) : log_(open_memstream(&log_text_, &log_size_)) {
        options.port = 0;
        const auto step = static_cast<int32_t>(options.interval_ms > 0 ? options.interval_ms : 100);
        server_ = std::make_unique<devsim::Server>(
            options, std::make_unique<devsim::PlantSource>(0, step, 0), clock_, log_);
        std::string error;
        EXPECT_TRUE(server_->listen(error)) << error;
        port_ = std::stoi(server_->address().substr(server_->address().rfind(':') + 1));
        clock_.on_idle = [this] {
            for (auto &client : clients_) client->read();
        };
    }

    ~Rig() {
        server_.reset();
        std::fclose(log_);
        std::free(log_text_);
    }

    Client &connect(int receive_buffer = 0) {
        clients_.push_back(std::make_unique<Client>(port_, receive_buffer));
        return *clients_.back();
    }

    // A client that said HELLO and got its WELCOME.
    Client &join(int receive_buffer = 0) {
        Client &client = connect(receive_buffer);
        client.say_hello();
        run_until([&client] { return client.welcomed; }, 1000);
        EXPECT_TRUE(client.welcomed);
        return client;
    }

    // Runs the loop until `done` or `limit_ms` of the driven time passed.
    // Returns the driven milliseconds it ran.
    int64_t run_until(const std::function<bool()> &done, int64_t limit_ms) {
        const int64_t start = clock_.now_ms();
        // Also a guard against a loop that never lets the time move on.
        for (int steps = 0; steps < 2000000 && clock_.now_ms() - start < limit_ms; ++steps) {
            if (done()) break;
            server_->step();
            for (auto &client : clients_) client->read();
        }
        return clock_.now_ms() - start;
    }

    std::string log() {
        std::fflush(log_);
        return std::string(log_text_, log_size_);
    }

private:
    char *log_text_ = nullptr;
    std::size_t log_size_ = 0;
    std::FILE *log_;
    DrivenLoopClock clock_;
    std::unique_ptr<devsim::Server> server_;
    int port_ = 0;
    std::vector<std::unique_ptr<Client>> clients_;
};

std::size_t count_of(const std::string &text, const std::string &part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

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
        SCOPED_TRACE("interval " + std::to_string(c.interval_ms) +
                     (c.drop_line != nullptr ? ", drop" : ", wait"));
        devsim::DevsimOptions options;
        options.interval_ms = c.interval_ms;
        options.slow_client = c.mode;
        options.max_queue_bytes = 65536;
        Rig rig(options);
        Client &fast = rig.join();
        Client &slow = rig.join(4096);
        slow.paused = true;
        const std::string dropped = "client 2 dropped: ";
        rig.run_until([&] { return rig.log().find(dropped) != std::string::npos; }, 120000);

        // Then the fast client gets 500 messages more, at the pace, unless
        // everyone waits for the slow one.
        const std::size_t before = fast.numbers.size();
        const int64_t took =
            rig.run_until([&] { return fast.numbers.size() >= before + 500; }, 20000);
        const std::string log = rig.log();
        if (c.drop_line != nullptr) {
            EXPECT_EQ(count_of(log, dropped), 1u) << log;
            EXPECT_NE(log.find(c.drop_line, log.find(dropped)), std::string::npos) << log;
            EXPECT_GE(fast.numbers.size(), before + 500);
            if (c.interval_ms > 0) {
                EXPECT_LE(took, 500 * c.interval_ms + 100);
            }
        } else {
            EXPECT_EQ(log.find(dropped), std::string::npos) << log;
            EXPECT_EQ(fast.numbers.size(), before) << "everyone waits for the slowest";
        }
        EXPECT_TRUE(fast.in_order_without_gaps());
        EXPECT_GE(fast.numbers.size(), 100u);
    }
}

// A receiver whose reader pauses for 8 s must lose nothing at 10 ms a
// message; the default mark holds such a pause even at 1 ms, more than the
// socket buffers of both ends can.
TEST(SlowClients, AReaderThatPausesEightSecondsLosesNothing) {
    devsim::DevsimOptions options;  // the default --max-queue
    options.interval_ms = 1;
    Rig rig(options);
    Client &reader = rig.join(4096);
    rig.run_until([] { return false; }, 1000);
    reader.paused = true;
    rig.run_until([] { return false; }, 8000);
    reader.paused = false;
    rig.run_until([] { return false; }, 2000);
    EXPECT_FALSE(reader.closed);
    EXPECT_EQ(rig.log().find("dropped"), std::string::npos) << rig.log();
    EXPECT_TRUE(reader.in_order_without_gaps());
    EXPECT_EQ(reader.numbers.front(), 0);
    EXPECT_GE(reader.numbers.size(), 10900u);  // 11 s, less the last few in flight
}

TEST(Handshake, OnlyOneHelloOfItsSizeWithinTwoSecondsKeepsAConnection) {
    std::vector<unsigned char> hello;
    wire::encode_hello("TEST", wire::kProtocolVersion, hello);
    const std::vector<unsigned char> part(hello.begin(), hello.begin() + 10);
    std::vector<unsigned char> long_frame = {0, 0, 0, 1, wire::kHello};  // 16 MiB announced
    long_frame.resize(4096, 'x');
    std::vector<unsigned char> other_type = hello;
    other_type[4] = wire::kMessage;
    std::vector<unsigned char> bad_magic = hello;
    bad_magic[5] = 'X';
    std::vector<unsigned char> hello_and_more = hello;
    hello_and_more.push_back(0);
    struct Case {
        const char *what;
        std::vector<unsigned char> bytes;
        int64_t closed_after_ms;  // -1: still open after 3 s
        const char *line;
    };
    const Case cases[] = {
        {"nothing", {}, 2000, "client 1 dropped: no HELLO within 2 s\n"},
        {"part of a hello", part, 2000, "client 1 dropped: no HELLO within 2 s\n"},
        {"a frame of 16 MiB", long_frame, 0, "client 1 broke the protocol\n"},
        {"another frame type", other_type, 0, "client 1 broke the protocol\n"},
        {"a bad magic", bad_magic, 0, "client 1 broke the protocol\n"},
        {"a byte after the hello", hello_and_more, 0,
         "client 1 connected (application TEST)\nclient 1 broke the protocol\n"},
        {"a hello", hello, -1, "client 1 connected (application TEST)\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Rig rig(devsim::DevsimOptions{});
        Client &client = rig.connect();
        if (!c.bytes.empty()) client.send_bytes(c.bytes);
        const int64_t took = rig.run_until([&client] { return client.closed; }, 3000);
        EXPECT_EQ(rig.log(), c.line);
        if (c.closed_after_ms < 0) {
            EXPECT_FALSE(client.closed);
        } else {
            EXPECT_TRUE(client.closed);
            EXPECT_GE(took, c.closed_after_ms);
            EXPECT_LE(took, c.closed_after_ms + 10);
        }
    }
}

}  // namespace
