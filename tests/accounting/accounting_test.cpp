// Sequence numbers of every shape a device may send, latency quantiles, and
// the lines the gaps and stale tags make, on a driven clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "driven_clock.h"
#include "gap_notices.h"
#include "latency_histogram.h"
#include "sequence_tracker.h"
#include "stale_tags.h"

namespace {

using tavlo::accounting::SequenceCounts;
using tavlo::accounting::SequenceTracker;
using tavlo::accounting::StaleTags;

constexpr int32_t kTop = std::numeric_limits<int32_t>::max();
constexpr int32_t kBottom = std::numeric_limits<int32_t>::min();
// A number below 0 stands for a lost link before the next message.
constexpr int64_t kLinkLost = -1000000000000;

TEST(SequenceTracker, CountsEveryShapeOfSequence) {
    struct Case {
        const char *what;
        std::vector<int64_t> numbers;
        SequenceCounts expected;  // missing, repeated, out of order, restarts
    };
    const Case cases[] = {
        {"unbroken", {1, 2, 3, 4}, {}},
        {"a gap", {244, 1012, 1013}, {767, 0, 0, 0}},
        {"repeated", {5, 5, 6, 6}, {0, 2, 0, 0}},
        {"jump back, no restart", {10, 11, 7, 12}, {0, 0, 1, 0}},
        {"start again at 1", {10, 11, 1, 2}, {0, 0, 0, 1}},
        {"start again at 0", {10, 0, 1}, {0, 0, 0, 1}},
        {"jump back after a lost link", {10, 11, kLinkLost, 5, 6}, {0, 0, 0, 1}},
        {"a gap after a lost link", {10, kLinkLost, 20}, {9, 0, 0, 0}},
        {"wraps to 0", {kTop - 1, kTop, 0, 1}, {0, 0, 0, 0}},
        {"wraps to 1", {kTop, 1, 2}, {0, 0, 0, 0}},
        {"wraps as the plant does", {kTop - 2, kTop - 1, 0, 1}, {0, 0, 0, 0}},
        {"wraps past the top", {kTop - 1, 3}, {3, 0, 0, 0}},
        {"wraps in 32 bits", {kTop, kBottom, kBottom + 1}, {0, 0, 0, 0}},
        {"from the lowest to the highest", {kBottom, kTop}, {int64_t{kTop} - kBottom - 1, 0, 0, 0}},
        {"negative numbers", {-5, -4, -2}, {1, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SequenceTracker tracker;
        bool lost = false;
        for (const int64_t number : c.numbers) {
            if (number == kLinkLost) {
                lost = true;
                continue;
            }
            tracker.take(static_cast<int32_t>(number), lost);
            lost = false;
        }
        const SequenceCounts &got = tracker.counts();
        EXPECT_EQ(got.missing, c.expected.missing) << c.what;
        EXPECT_EQ(got.repeated, c.expected.repeated) << c.what;
        EXPECT_EQ(got.out_of_order, c.expected.out_of_order) << c.what;
        EXPECT_EQ(got.restarts, c.expected.restarts) << c.what;
    }
}

TEST(SequenceTracker, AGapSaysItsEnds) {
    SequenceTracker tracker;
    tracker.take(244, false);
    const auto gap = tracker.take(1012, false);
    EXPECT_EQ(gap.missing, 767);
    EXPECT_EQ(gap.before, 244);
    EXPECT_EQ(gap.after, 1012);
    EXPECT_EQ(tracker.take(1013, false).missing, 0);
}

TEST(SequenceTracker, RandomNumbersAreCountedEachOnce) {
    std::mt19937 random(25);
    std::uniform_int_distribution<int32_t> any(kBottom, kTop);
    SequenceTracker tracker;
    constexpr int kMessages = 100000;
    for (int k = 0; k < kMessages; ++k) tracker.take(any(random), false);
    const SequenceCounts &c = tracker.counts();
    // Every message after the first is a step forward, a repeat, a jump back
    // or a restart; the forward ones sum to no more than 2^32 each.
    EXPECT_GT(c.missing, 0);
    EXPECT_LT(c.repeated + c.out_of_order + c.restarts, kMessages);
    EXPECT_LT(c.missing, int64_t{kMessages} << 32);
}

TEST(LatencyHistogram, QuantilesAreWithinASixteenthOfTheTruth) {
    struct Case {
        const char *what;
        int64_t low, high;  // values low..high, once each
    };
    const Case cases[] = {
        {"small", 0, 31},
        {"milliseconds to seconds", 1, 10000},
        {"negative and positive", -5000, 5000},
        {"minutes", 60000, 600000},
    };
    for (const Case &c : cases) {
        tavlo::accounting::LatencyHistogram h;
        for (int64_t v = c.low; v <= c.high; ++v) h.add(v);
        EXPECT_EQ(h.count(), c.high - c.low + 1) << c.what;
        EXPECT_EQ(h.min(), c.low) << c.what;
        EXPECT_EQ(h.max(), c.high) << c.what;
        for (const double q : {0.5, 0.95, 0.99}) {
            const double truth =
                static_cast<double>(c.low) + q * static_cast<double>(c.high - c.low);
            const double got = static_cast<double>(h.quantile(q));
            EXPECT_NEAR(got, truth, std::abs(truth) / 16 + 1) << c.what << " q=" << q;
        }
    }
    tavlo::accounting::LatencyHistogram empty;
    EXPECT_EQ(empty.quantile(0.5), 0);
    tavlo::accounting::LatencyHistogram huge;
    huge.add(std::numeric_limits<int64_t>::max() / 4, 3);
    EXPECT_EQ(huge.quantile(0.99), std::numeric_limits<int64_t>::max() / 4);
}

// The text written to a temporary file standing in for standard error.
std::string text_of(std::FILE *stream) {
    std::fflush(stream);
    std::rewind(stream);
    std::string text;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
    return text;
}

TEST(GapNotices, AtMostOneLineASecondWithTheLinesHeldBack) {
    tavlo::testing::DrivenClock clock;
    std::FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    tavlo::accounting::GapNotices notices(stream, clock);
    notices.gap("SIMPLANT", 101, {767, 244, 1012});
    clock.sleep_for(std::chrono::milliseconds(400));
    notices.gap("SIMPLANT", 102, {2, 1013, 1016});
    notices.gap("SIMPLANT", 101, {1, 1017, 1019});
    clock.sleep_for(std::chrono::milliseconds(600));
    notices.gap("PLANT\x1b", 7, {1, 5, 7});
    notices.gap("SIMPLANT", 101, {3, 7, 11});
    notices.finish();
    EXPECT_EQ(text_of(stream),
              "tavlo_t_receiver: 767 messages missing on SIMPLANT between sequence 244 and 1012, "
              "before list 101\n"
              "tavlo_t_receiver: 1 message missing on PLANT? between sequence 5 and 7, before "
              "list 7 (2 gap lines held back)\n"
              "tavlo_t_receiver: 1 more gap line held back\n");
    std::fclose(stream);
}

TEST(StaleTags, AQuietTagIsSaidOnceGoingAndOnceComingBack) {
    tavlo::testing::DrivenClock clock;
    std::FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    tavlo::accounting::StaleTags stale(std::chrono::seconds(5), stream, clock);
    stale.updated("SIMPLANT", 101, 0, "BOILER.TEMPERATURE", clock.now());
    stale.updated("SIMPLANT", 103, 0, "DECLARED.ONLY", clock.now());
    clock.sleep_for(std::chrono::seconds(4));
    stale.updated("SIMPLANT", 101, 0, "BOILER.TEMPERATURE", clock.now());
    stale.look();
    EXPECT_EQ(stale.stale_now(), 0);
    clock.sleep_for(std::chrono::seconds(1));
    stale.look();
    stale.forget_list("SIMPLANT", 103);
    EXPECT_EQ(stale.stale_now(), 0) << "a cancelled list's stale tag is no longer counted";
    clock.sleep_for(std::chrono::seconds(5));
    stale.look();
    stale.look();
    EXPECT_EQ(stale.stale_now(), 1);
    clock.sleep_for(std::chrono::milliseconds(2500));
    // At another place in the message, the same tag.
    stale.updated("SIMPLANT", 101, 5, "BOILER.TEMPERATURE", clock.now());
    EXPECT_EQ(stale.stale_now(), 0);
    EXPECT_EQ(stale.went_stale(), 2);
    EXPECT_EQ(text_of(stream),
              "tavlo_t_receiver: SIMPLANT list 103 tag DECLARED.ONLY stale: no update for 5.0 s\n"
              "tavlo_t_receiver: SIMPLANT list 101 tag BOILER.TEMPERATURE stale: no update for "
              "6.0 s\n"
              "tavlo_t_receiver: SIMPLANT list 101 tag BOILER.TEMPERATURE updated again after "
              "8.5 s\n");
    std::fclose(stream);
}

// A device sending ever new list ids: the lists past the bound are not
// watched, their tags are counted left out, and a cancel makes room.
TEST(StaleTags, ListsPastTheBoundAreLeftOut) {
    tavlo::testing::DrivenClock clock;
    std::FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StaleTags stale(std::chrono::seconds(5), stream, clock);
    const auto lists = static_cast<int32_t>(StaleTags::kMostLists);
    for (int32_t id = 0; id < lists; ++id) stale.updated("PLANT", id, 0, "A", clock.now());
    EXPECT_EQ(stale.tags_left_out(), 0);
    EXPECT_TRUE(stale.updated_as_before("PLANT", lists, "A", 3, clock.now()));
    stale.updated("PLANT", lists, 0, "A", clock.now());
    EXPECT_EQ(stale.tags_left_out(), 4);
    stale.forget_list("PLANT", 7);
    stale.updated("PLANT", lists, 0, "A", clock.now());
    stale.updated("PLANT", 7, 0, "A", clock.now());  // now past the bound itself
    EXPECT_EQ(stale.tags_left_out(), 5);
    clock.sleep_for(std::chrono::seconds(6));
    stale.look();
    EXPECT_EQ(stale.stale_now(), lists);
    std::fclose(stream);
}

// Hands a message's tags to the watch as the receiver does: its name
// entries (blank-padded to 16 bytes) first, each tag when they are not
// those of the list's last message. Returns what updated_as_before said.
bool watch(StaleTags &stale, tavlo::posix::Clock &clock, const char *device,
           const std::vector<std::string> &names) {
    constexpr std::size_t kStride = 16;
    std::string entries;
    for (const std::string &name : names) entries += name + std::string(kStride - name.size(), ' ');
    const auto count = static_cast<int32_t>(names.size());
    if (stale.updated_as_before(device, 101, entries, count, clock.now())) return true;
    for (int32_t k = 0; k < count; ++k) {
        stale.updated(device, 101, k, names[static_cast<std::size_t>(k)], clock.now());
    }
    return false;
}

TEST(StaleTags, TheEntriesOfTheLastMessageStandForItsTags) {
    tavlo::testing::DrivenClock clock;
    std::FILE *stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    StaleTags stale(std::chrono::seconds(5), stream, clock);
    // Each step: the clock goes on, a look, the message.
    struct Step {
        int seconds;
        const char *device;
        std::vector<std::string> names;
        bool as_before;
        int64_t stale_now;  // after the message
    };
    const Step steps[] = {
        {0, "PLANT", {"A", "B"}, false, 0},
        {1, "PLANT", {"A", "B"}, false, 0},  // kept once the list has its tags
        {3, "PLANT", {"A", "B"}, true, 0},   // at 4s: so B is not stale at 8s
        {4, "PLANT", {"A"}, false, 0},
        {2, "PLANT", {"A"}, true, 1},   // B is stale at 10s
        {6, "PLANT", {"A"}, true, 1},   // A too at 16s, and comes back
        {0, "PLANT", {"B"}, false, 0},  // the same size, other entries
        {0, "OTHER", {"B"}, false, 0},  // another device's list of that id
    };
    for (const Step &step : steps) {
        clock.sleep_for(std::chrono::seconds(step.seconds));
        stale.look();
        EXPECT_EQ(watch(stale, clock, step.device, step.names), step.as_before) << &step - steps;
        EXPECT_EQ(stale.stale_now(), step.stale_now) << &step - steps;
    }
    EXPECT_EQ(text_of(stream),
              "tavlo_t_receiver: PLANT list 101 tag B stale: no update for 6.0 s\n"
              "tavlo_t_receiver: PLANT list 101 tag A stale: no update for 6.0 s\n"
              "tavlo_t_receiver: PLANT list 101 tag A updated again after 6.0 s\n"
              "tavlo_t_receiver: PLANT list 101 tag B updated again after 12.0 s\n");
    // A tag left out at the limit is looked for again: a cancel may have
    // made room for it. The three tags above and the filler's fill it.
    for (std::size_t i = 3; i < StaleTags::kMostTags; ++i) {
        stale.updated("FILLER", 1, 0, std::to_string(i), clock.now());
    }
    EXPECT_FALSE(watch(stale, clock, "PLANT", {"A", "NEW"}));
    EXPECT_FALSE(watch(stale, clock, "PLANT", {"A", "NEW"}));
    EXPECT_EQ(stale.tags_left_out(), 2);
    stale.forget_list("FILLER", 1);
    EXPECT_FALSE(watch(stale, clock, "PLANT", {"A", "NEW"}));
    EXPECT_TRUE(watch(stale, clock, "PLANT", {"A", "NEW"}));
    EXPECT_EQ(stale.tags_left_out(), 2);
    std::fclose(stream);
}

}  // namespace
