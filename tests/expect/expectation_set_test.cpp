// The verdicts on scripted messages, each at a time the test sets: within,
// for and fresh against those times, always at the message that breaks it.
#include "expectation_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "expression_parser.h"

namespace tavlo::expect {
namespace {

constexpr int32_t kGood = -1;
constexpr int32_t kBad = -6;
constexpr int64_t kPlantSeconds = 1700000000;  // 22:13:20 UTC

// One tag of a scripted message.
struct Tag {
    const char *name;
    int16_t type;
    double number = 0;
    const char *text = "";
    int32_t status = kGood;
    int32_t list_id = 101;
};
Tag number(const char *name, double value, int32_t status = kGood, int32_t list = 101) {
    return {name, TAVLO_TYPE_DOUBLE, value, "", status, list};
}
Tag real(const char *name, float value) {
    return {name, TAVLO_TYPE_REAL, value};
}
Tag text(const char *name, const char *value) {
    return {name, TAVLO_TYPE_ASCII, 0, value};
}
Tag time_value(const char *name, int64_t seconds) {
    return {name, TAVLO_TYPE_TIME, static_cast<double>(seconds)};
}

// The arrays of an unsolicited message of one tag, as a read returns them.
class OneTagMessage {
public:
    explicit OneTagMessage(const Tag &tag) : names_(40, ' ') {
        std::memcpy(names_.data(), tag.name, std::strlen(tag.name));
        const int32_t size = tag.type == TAVLO_TYPE_ASCII ? 8 : tag.type == TAVLO_TYPE_REAL ? 4 : 8;
        descriptors_[1] = {tag.type, tag.type, size, 1};
        if (tag.type == TAVLO_TYPE_ASCII) {
            std::memcpy(value_, tag.text, std::min(std::strlen(tag.text), sizeof value_));
        } else if (tag.type == TAVLO_TYPE_REAL) {
            const auto single = static_cast<float>(tag.number);
            std::memcpy(value_, &single, sizeof single);
        } else if (tag.type == TAVLO_TYPE_TIME) {
            const TimeRecord record{0, static_cast<int32_t>(tag.number)};
            std::memcpy(value_, &record, sizeof record);
        } else {
            std::memcpy(value_, &tag.number, sizeof tag.number);
        }
        status_ = {tag.status, 0, 0};
        view_.kind = TAVLO_MSG_UNSOLICITED;
        view_.list_id = tag.list_id;
        view_.count = 1;
        view_.names = names_.data();
        view_.name_stride = 40;
        view_.descriptors = descriptors_;
        view_.values = value_;
        view_.statuses = &status_;
        view_.timestamps = &timestamp_;
    }

    receiver::ReceivedMessage view(Calendar when) const { return {view_, when}; }

private:
    std::string names_;
    TypeDescriptor descriptors_[2] = {{TAVLO_TYPE_STRUCTURE, 0, 1, 1}, {}};
    unsigned char value_[8] = {};
    TagStatus status_{};
    TimeRecord timestamp_{};
    records::MessageView view_;
};

struct Step {
    int64_t ms;  // after the start
    Tag tag;
};

struct JudgedRun {
    std::vector<Verdict> verdicts;
    std::vector<std::string> said_at_once;
};

JudgedRun judge(const std::vector<std::string> &texts, const std::vector<Step> &steps,
                int64_t end_ms) {
    std::vector<Expression> expressions;
    for (const std::string &text : texts) {
        ParseResult parsed = parse_expectation(text);
        EXPECT_TRUE(parsed.expression) << parsed.problem;
        if (parsed.expression) expressions.push_back(std::move(*parsed.expression));
    }
    const posix::Clock::Time start{};
    const auto moment = [start](int64_t ms, int64_t messages) {
        return Moment{start + Milliseconds(ms),
                      Calendar(std::chrono::seconds(kPlantSeconds)) + Milliseconds(ms), messages};
    };
    ExpectationSet set(std::move(expressions), start);
    JudgedRun run;
    int64_t messages = 0;
    for (const Step &step : steps) {
        const OneTagMessage message(step.tag);
        const Moment now = moment(step.ms, ++messages);
        set.take(message.view(now.calendar), now);
        for (const Verdict &verdict : set.new_failures())
            run.said_at_once.push_back(verdict.line());
    }
    run.verdicts = set.finish(moment(end_ms, messages));
    return run;
}

struct VerdictRow {
    const char *expression;
    std::vector<Step> steps;
    int64_t end_ms;
    const char *verdict;
    bool said_at_once;  // before the end
};

TEST(ExpectationSet, JudgesEachFormOnKnownValues) {
    const VerdictRow rows[] = {
        {"X >= 60 within 10s",
         {{1000, number("X", 58.5)}, {9000, number("X", 59)}, {11000, number("X", 61)}},
         12000,
         "X >= 60 within 10s: failed, highest value 59 at 22:13:29.000, 2 updates",
         true},
        {"X >= 60 within 10s",
         {{1000, number("X", 58.5)}, {9000, number("X", 61)}},
         12000,
         "X >= 60 within 10s: passed at message 2, 22:13:29.000",
         false},
        {"P status GOOD always",
         {{0, number("P", 1)}, {1000, number("P", 1)}, {3120, number("P", 1, kBad)}},
         5000,
         "P status GOOD always: failed at message 3, status BAD (-6) at 22:13:23.120",
         true},
        {"P status GOOD always",
         {{0, number("P", 1)}, {1000, number("P", 1)}},
         5000,
         "P status GOOD always: passed, 2 updates",
         false},
        {"MIXER.TORQUE == 3 always",
         {{0, number("OTHER", 3)}},
         1000,
         "MIXER.TORQUE == 3 always: never seen",
         false},
        {"MODE > 5",
         {{0, number("X", 1)}, {10, text("MODE", "HEATING")}},
         1000,
         "MODE > 5: failed at message 2, MODE holds text, not a number: it takes ==, != and ~",
         true},
        {"N changes",
         {{0, number("N", 1)}, {10, number("N", 1)}},
         1000,
         "N changes: failed, last value 1 at 22:13:20.010, 2 updates",
         false},
        {"N changes",
         {{0, number("N", 1)}, {10, number("N", 2)}},
         1000,
         "N changes: passed at message 2, 22:13:20.010",
         false},
        {"S updates >= 2",
         {{0, number("S", 1)}, {10, number("S", 1)}},
         1000,
         "S updates >= 2: passed at message 2, 22:13:20.010",
         false},
        {"M fresh 2s",
         {{0, text("M", "A")}, {1500, text("M", "A")}, {4000, text("M", "A")}},
         4000,
         "M fresh 2s: failed at message 3, no update of M for more than 2s after 22:13:21.500",
         true},
        {"M fresh 2s",
         {{0, text("M", "A")}, {1500, text("M", "A")}, {3000, text("M", "A")}},
         4000,
         "M fresh 2s: passed, 3 updates",
         false},
        {"M fresh 2s",
         {{0, text("M", "A")}},
         2500,
         "M fresh 2s: failed at message 1, no update of M for more than 2s after 22:13:20.000",
         false},
        {"X > 1 for 2s",
         {{0, number("X", 2)},
          {1000, number("X", 2)},
          {1500, number("X", 0)},
          {2000, number("X", 2)},
          {3900, number("X", 2)},
          {4000, number("X", 2)}},
         5000,
         "X > 1 for 2s: passed, held 2s from 22:13:22.000",
         false},
        {"X > 1 for 2s",
         {{0, number("X", 2)}},
         2500,
         "X > 1 for 2s: passed, held 2s from 22:13:20.000",
         false},
        {"X > 1 for 2s",
         {{0, number("X", 2)}, {1500, number("X", 0)}},
         3000,
         "X > 1 for 2s: failed, held 1.5s at most, highest value 2 at 22:13:20.000, 2 updates",
         false},
        {"'C.*' status GOOD",
         {{0, number("C.B", 1, kBad)}, {10, number("C.A", 1)}, {20, number("C.B", 1)}},
         1000,
         "'C.*' status GOOD: passed at message 3, 22:13:20.020",
         false},
        {"list 102: P == 1",
         {{0, number("P", 1, kGood, 101)},
          {10, number("P", 0, kGood, 102)},
          {20, number("P", 1, kGood, 102)}},
         1000,
         "list 102: P == 1: passed at message 3, 22:13:20.020",
         false},
        {"F age < 10m",
         {{0, time_value("F", kPlantSeconds - 300)}},
         1000,
         "F age < 10m: passed at message 1, 22:13:20.000",
         false},
        {"F age < 1m",
         {{0, time_value("F", kPlantSeconds - 300)}},
         1000,
         "F age < 1m: failed, last value 2023-11-14 22:08:20.000 (age 300s) at 22:13:20.000, "
         "1 update",
         false},
        {"F > '2023-11-14 22:13:00'",
         {{0, time_value("F", kPlantSeconds)}},
         1000,
         "F > '2023-11-14 22:13:00': passed at message 1, 22:13:20.000",
         false},
        {"(X == 1 or X == 2) and not Y == 5",
         {{0, number("Y", 5)}, {10, number("X", 2)}, {20, number("Y", 4)}},
         1000,
         "(X == 1 or X == 2) and not Y == 5: passed at message 3, 22:13:20.020",
         false},
        {"MODE ~ 'HEAT*'",
         {{0, text("MODE", "HEATING")}},
         1000,
         "MODE ~ 'HEAT*': passed at message 1, 22:13:20.000",
         false},
        {"R == 0.1",
         {{0, real("R", 0.1f)}},
         1000,
         "R == 0.1: passed at message 1, 22:13:20.000",
         false},
    };
    for (const VerdictRow &row : rows) {
        SCOPED_TRACE(row.expression);
        const JudgedRun run = judge({row.expression}, row.steps, row.end_ms);
        ASSERT_EQ(run.verdicts.size(), 1u);
        EXPECT_EQ(run.verdicts[0].line(), row.verdict);
        EXPECT_EQ(run.verdicts[0].passed,
                  std::string(row.verdict).find(": passed") != std::string::npos);
        EXPECT_EQ(run.said_at_once.size(), row.said_at_once ? 1u : 0u);
    }
}

TEST(ExpectationSet, ThousandsOfExpectationsEachJudgeTheirOwnTag) {
    std::vector<std::string> texts;
    std::vector<std::string> names;
    for (int k = 0; k < 2000; ++k) {
        names.push_back("T" + std::to_string(k));
        texts.push_back(names.back() + " == " + std::to_string(k % 2 ? k : -k));
    }
    std::vector<Step> steps;
    for (int k = 0; k < 2000; ++k)
        steps.push_back({k, number(names[static_cast<std::size_t>(k)].c_str(), k)});
    texts.push_back("'T1?' updates >= 10");
    const JudgedRun run = judge(texts, steps, 3000);
    ASSERT_EQ(run.verdicts.size(), texts.size());
    for (int k = 1; k < 2000; ++k) {
        EXPECT_EQ(run.verdicts[static_cast<std::size_t>(k)].passed, k % 2 == 1) << k;
    }
    // Ten tags match the pattern, each once.
    EXPECT_EQ(run.verdicts.back().line(), "'T1?' updates >= 10: failed, 10 updates");
}

}  // namespace
}  // namespace tavlo::expect
