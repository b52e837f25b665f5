// The parts of --mqtt without a broker: the broker's URL, the topic
// template, the spool's bound, and the spool through restarts, its bound
// and damaged files.
#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "broker_address.h"
#include "queue_bound.h"
#include "spool.h"
#include "temporary_files.h"
#include "topic_template.h"

namespace tavlo::mqtt {
namespace {

TEST(BrokerUrl, ReadsHostPortAndTlsOrSaysWhy) {
    struct Row {
        const char *url;
        const char *host;  // null: refused
        int port;
        bool tls;
        const char *problem;
    };
    const Row rows[] = {
        {"mqtt://broker.example", "broker.example", 1883, false, ""},
        {"mqtts://10.0.0.7:8884/", "10.0.0.7", 8884, true, ""},
        {"mqtt://[::1]:1884", "::1", 1884, false, ""},
        {"mqtts://[fe80::1]", "fe80::1", 8883, true, ""},
        {"tcp://host", nullptr, 0, false, "expects mqtt://"},
        {"mqtt://", nullptr, 0, false, "has no host"},
        {"mqtt://host:", nullptr, 0, false, "empty port"},
        {"mqtt://host:0", nullptr, 0, false, "not 1 to 65535"},
        {"mqtt://host:65536", nullptr, 0, false, "not 1 to 65535"},
        {"mqtt://host:12x", nullptr, 0, false, "not 1 to 65535"},
        {"mqtt://user@host", nullptr, 0, false, "no more than a host"},
        {"mqtt://host/topic", nullptr, 0, false, "no more than a host"},
        {"mqtt://[::1", nullptr, 0, false, "without its ']'"},
        {"mqtt://[::1]x", nullptr, 0, false, "no port after"},
    };
    for (const Row &row : rows) {
        BrokerAddress address;
        const std::string problem = read_broker_url(row.url, address);
        if (row.host == nullptr) {
            EXPECT_NE(problem.find(row.problem), std::string::npos) << row.url << ": " << problem;
            continue;
        }
        EXPECT_EQ(problem, "") << row.url;
        EXPECT_EQ(address.host, row.host) << row.url;
        EXPECT_EQ(address.port, row.port) << row.url;
        EXPECT_EQ(address.tls, row.tls) << row.url;
    }
}

TEST(TopicTemplate, ExpandsFieldsAndReplacesWhatATopicCannotHold) {
    struct Row {
        const char *text;
        std::string_view device;
        const char *topic;  // null: the template is refused
    };
    const Row rows[] = {
        {"plant/{device}/{list}/{kind}", "LINE3", "plant/LINE3/101/unsolicited"},
        {"{unit}-{client}", "X", "7-rx_1"},
        {"plant/{device}", "A/B+C#D", "plant/A_B_C_D"},
        {"plant/{device}", std::string_view("\x01 \xc3\xa9\x7f", 5), "plant/_____"},
        {"plant/{device}/end", "", "plant/_/end"},
        {"no/fields", "X", "no/fields"},
        {"", "X", nullptr},
        {"plant/+/x", "X", nullptr},
        {"plant/#", "X", nullptr},
        {"plant/{device", "X", nullptr},
        {"plant/{host}", "X", nullptr},
    };
    for (const Row &row : rows) {
        TopicTemplate topic;
        const std::string problem = topic.read(row.text);
        if (row.topic == nullptr) {
            EXPECT_NE(problem, "") << row.text;
            continue;
        }
        ASSERT_EQ(problem, "") << row.text;
        std::string expanded;
        topic.expand({row.device, 7, 101, "unsolicited", "rx 1"}, expanded);
        EXPECT_EQ(expanded, row.topic) << row.text;
    }
}

TEST(QueueBound, ReadsMessagesOrASizeAndKeepsTheOtherBound) {
    struct Row {
        std::vector<const char *> values;  // --mqtt-queue-max, in order
        bool read;
        QueueBound spool;  // the bound the spool keeps
        const char *text;
    };
    const Row rows[] = {
        {{}, true, {100000, 0}, "100000 messages"},
        {{"10000"}, true, {10000, 0}, "10000 messages"},
        {{"64MiB"}, true, {UINT64_MAX, 64 << 20}, "64MiB"},
        {{"512KiB", "1000"}, true, {1000, 512 << 10}, "1000 messages or 512KiB"},
        {{"2048KiB"}, true, {UINT64_MAX, 2 << 20}, "2MiB"},
        {{"1024GiB"}, true, {UINT64_MAX, uint64_t{1} << 40}, "1024GiB"},
        {{"2147483647"}, true, {2147483647, 0}, "2147483647 messages"},
        {{"0"}, false, {}, ""},
        {{"2147483648"}, false, {}, ""},
        {{"1025GiB"}, false, {}, ""},
        {{"18446744073709551617KiB"}, false, {}, ""},
        {{"64MB"}, false, {}, ""},
        {{""}, false, {}, ""},
    };
    for (const Row &row : rows) {
        QueueBound given;
        std::string problem;
        for (const char *value : row.values) problem += read_queue_bound(value, given);
        const std::string name = row.values.empty() ? "none" : row.values.back();
        if (!row.read) {
            EXPECT_NE(problem.find("expects a number of messages"), std::string::npos) << name;
            EXPECT_EQ(given.messages + given.bytes, 0u) << name << ": left alone";
            continue;
        }
        EXPECT_EQ(problem, "") << name;
        const QueueBound bound = spool_bound(given);
        EXPECT_EQ(bound.messages, row.spool.messages) << name;
        EXPECT_EQ(bound.bytes, row.spool.bytes) << name;
        EXPECT_EQ(queue_bound_text(bound), row.text) << name;
    }
}

std::vector<std::string> files_in(const std::string &folder) {
    std::vector<std::string> names;
    DIR *dir = opendir(folder.c_str());
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > 5 && name.substr(name.size() - 5) == ".msgs") names.push_back(name);
    }
    closedir(dir);
    return names;
}

class SpoolTest : public ::testing::Test {
protected:
    std::unique_ptr<Spool> open(QueueBound bound = {kDefaultQueueMessages, 0}) {
        std::string problem;
        auto spool = Spool::open(folder_.file("spool"), bound, problem);
        EXPECT_EQ(problem, "");
        return spool;
    }
    static void append(Spool &spool, int from, int to) {
        std::string problem;
        for (int n = from; n < to; ++n) {
            ASSERT_TRUE(
                spool.append("t/" + std::to_string(n), "payload " + std::to_string(n), problem))
                << problem;
        }
    }
    // The payload numbers still to send.
    static std::vector<int> to_send(Spool &spool) {
        std::vector<int> numbers;
        SpooledMessage message;
        while (spool.next_to_send(message)) {
            EXPECT_EQ(message.topic.substr(2), message.payload.substr(8));
            numbers.push_back(std::stoi(message.payload.substr(8)));
        }
        return numbers;
    }
    static std::vector<int> range(int from, int to) {
        std::vector<int> numbers;
        for (int n = from; n < to; ++n) numbers.push_back(n);
        return numbers;
    }
    testing::TemporaryDirectory folder_{"tavlo-spool"};
};

TEST_F(SpoolTest, WhatWasNotConfirmedWaitsForTheNextRunAcrossSegments) {
    {
        auto spool = open();
        append(*spool, 0, 5000);  // more than one segment file
        SpooledMessage message;
        for (int n = 0; n < 4200; ++n) ASSERT_TRUE(spool->next_to_send(message));
        for (uint64_t index = 0; index < 4100; ++index) spool->confirmed(index);
        EXPECT_EQ(spool->waiting(), 900u);
        EXPECT_EQ(files_in(folder_.file("spool")).size(), 1u);  // the first was emptied
    }
    auto again = open();
    EXPECT_EQ(again->left_by_earlier(), 900u);
    append(*again, 5000, 5003);
    EXPECT_EQ(to_send(*again), range(4100, 5003));
}

TEST_F(SpoolTest, OutOfOrderConfirmationsAndARewindSendOnlyTheRest) {
    auto spool = open();
    append(*spool, 0, 5);
    EXPECT_EQ(to_send(*spool), range(0, 5));
    spool->confirmed(2);
    spool->confirmed(0);
    spool->confirmed(9);  // never appended: no effect
    EXPECT_EQ(spool->waiting(), 3u);
    spool->rewind();
    EXPECT_EQ(to_send(*spool), (std::vector<int>{1, 3, 4}));
}

TEST_F(SpoolTest, TheBoundDropsTheOldestAlsoWhenReopenedSmaller) {
    {
        auto spool = open({5, 0});
        append(*spool, 0, 12);
        EXPECT_EQ(spool->dropped(), 7u);
        EXPECT_EQ(spool->waiting(), 5u);
        EXPECT_EQ(to_send(*spool), range(7, 12));
    }
    auto smaller = open({2, 0});
    EXPECT_EQ(smaller->dropped(), 3u);
    EXPECT_EQ(to_send(*smaller), range(10, 12));
}

TEST_F(SpoolTest, TheBoundInBytesCountsOnlyWhatWaits) {
    // A record of t/N and "payload N" for N below 10 is 8 + 3 + 9 bytes.
    constexpr uint64_t kRecord = 20;
    {
        auto spool = open({UINT64_MAX, 4 * kRecord});
        append(*spool, 0, 4);
        SpooledMessage message;
        ASSERT_TRUE(spool->next_to_send(message));
        ASSERT_TRUE(spool->next_to_send(message));
        spool->confirmed(1);  // out of order: its bytes are free all the same
        append(*spool, 4, 5);
        EXPECT_EQ(spool->dropped(), 0u);
        append(*spool, 5, 6);
        EXPECT_EQ(spool->dropped(), 1u);
        spool->rewind();
        EXPECT_EQ(to_send(*spool), range(2, 6));
    }
    // Reopened with a bound below one record: the newest alone stays.
    auto smaller = open({UINT64_MAX, kRecord - 1});
    EXPECT_EQ(smaller->dropped(), 3u);
    EXPECT_EQ(to_send(*smaller), range(5, 6));
}

TEST_F(SpoolTest, ARecordCutShortOrAGarbledPositionIsNoCrash) {
    {
        auto spool = open();
        append(*spool, 0, 3);
    }
    const std::string segment = folder_.file("spool/" + files_in(folder_.file("spool"))[0]);
    std::ofstream(segment, std::ios::app | std::ios::binary) << std::string("\x05\0\0\0\xff", 5);
    std::ofstream(folder_.file("spool/position")) << "garbage";
    auto spool = open();
    append(*spool, 3, 4);
    EXPECT_EQ(to_send(*spool), range(0, 4));
}

TEST_F(SpoolTest, OneReceiverAtATime) {
    auto first = open();
    std::string problem;
    EXPECT_EQ(Spool::open(folder_.file("spool"), {10, 0}, problem), nullptr);
    EXPECT_NE(problem.find("in use by another tavlo_t_receiver"), std::string::npos) << problem;
}

}  // namespace
}  // namespace tavlo::mqtt
