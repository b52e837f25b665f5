// The parts of --mqtt without a broker: the broker's URL, the topic
// template, and the spool through restarts, its bound and damaged files.
#include <dirent.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "broker_address.h"
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
    std::unique_ptr<Spool> open(uint64_t max_messages = 100000) {
        std::string problem;
        auto spool = Spool::open(folder_.file("spool"), max_messages, problem);
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
        auto spool = open(5);
        append(*spool, 0, 12);
        EXPECT_EQ(spool->dropped(), 7u);
        EXPECT_EQ(spool->waiting(), 5u);
        EXPECT_EQ(to_send(*spool), range(7, 12));
    }
    auto smaller = open(2);
    EXPECT_EQ(smaller->dropped(), 3u);
    EXPECT_EQ(to_send(*smaller), range(10, 12));
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
    EXPECT_EQ(Spool::open(folder_.file("spool"), 10, problem), nullptr);
    EXPECT_NE(problem.find("in use by another tavlo_t_receiver"), std::string::npos) << problem;
}

}  // namespace
}  // namespace tavlo::mqtt
