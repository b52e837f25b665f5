// The expectations of a run, judged on every message read.
#include "expectation_set.h"

#include <algorithm>
#include <optional>

#include "name_pattern.h"
#include "report_lines.h"

namespace tavlo::expect {

namespace {

using Time = posix::Clock::Time;

// Names the index keeps; a device that sends ever new names costs a search
// of the patterns for each tag beyond them, and no more memory.
constexpr std::size_t kMostNames = 100000;
// Lists, and places in a message, whose names are kept from message to
// message; a message beyond them has its names looked up in the index.
constexpr std::size_t kMostLists = 1024;
constexpr int32_t kMostPlaces = 4096;

// One tag as a test has seen it.
struct TagState {
    bool holds = false;
    bool changed = false;
    std::string first;  // the bytes of the first value (changes)
    std::string name;   // of a fresh test's tag, for its evidence
    int64_t updates = 0;
    Time last_update;
    Calendar last_calendar;
};

template <typename T>
bool compare(T left, Comparison comparison, T right) {
    switch (comparison) {
        case Comparison::kEqual: return left == right;
        case Comparison::kNotEqual: return left != right;
        case Comparison::kLess: return left < right;
        case Comparison::kLessOrEqual: return left <= right;
        case Comparison::kGreater: return left > right;
        case Comparison::kGreaterOrEqual: return left >= right;
        case Comparison::kMatches: break;
    }
    return false;
}

bool is_ordering(Comparison comparison) {
    return comparison != Comparison::kEqual && comparison != Comparison::kNotEqual &&
           comparison != Comparison::kMatches;
}

// The value at `value`; nothing for null.
Reading read_value(const TypeDescriptor &descriptor, const unsigned char *value) {
    Reading reading;
    if (value == nullptr) return reading;
    const int32_t size = descriptor.size;
    reading.type = Reading::Type::kNumber;
    switch (descriptor.data_type) {
        case TAVLO_TYPE_REAL:
            reading.number = ts::copy_value<float>(value, size);
            reading.single = true;
            break;
        case TAVLO_TYPE_SHORT: reading.number = ts::copy_value<int16_t>(value, size); break;
        case TAVLO_TYPE_LONG: reading.number = ts::copy_value<int32_t>(value, size); break;
        case TAVLO_TYPE_DOUBLE: reading.number = ts::copy_value<double>(value, size); break;
        case TAVLO_TYPE_ASCII:
            reading.type = Reading::Type::kText;
            reading.text = ts::ascii_value(value, size);
            break;
        case TAVLO_TYPE_TIME: {
            const auto time = ts::copy_value<TimeRecord>(value, size);
            reading.type = Reading::Type::kTime;
            reading.time_ms = int64_t{time.seconds} * 1000 + time.milliseconds;
            break;
        }
        default: reading.type = Reading::Type::kOther;
    }
    return reading;
}

// Whether a value comparison holds; `wrong_kind` says why it cannot be
// judged when the value is of another kind than the test's.
bool value_holds(const TagTest &test, const Reading &reading, std::string_view name,
                 std::string &wrong_kind) {
    const Literal &literal = test.literal;
    const std::string tag(name);
    switch (reading.type) {
        case Reading::Type::kNumber:
            if (!literal.is_number) {
                wrong_kind = tag + " holds a number, which is no text to compare with '" +
                             literal.text + "'";
                return false;
            }
            return compare(
                reading.number, test.comparison,
                reading.single ? double{static_cast<float>(literal.number)} : literal.number);
        case Reading::Type::kText:
            if (test.comparison == Comparison::kMatches) {
                return posix::matches_pattern(literal.text.c_str(), reading.text.c_str());
            }
            if (is_ordering(test.comparison)) {
                wrong_kind = tag + " holds text, not a number: it takes ==, != and ~";
                return false;
            }
            return (reading.text == literal.text) == (test.comparison == Comparison::kEqual);
        case Reading::Type::kTime:
            if (!literal.calendar_ms) {
                wrong_kind = tag +
                             " holds a TIME, to compare with a calendar time such as "
                             "'2023-11-14 22:13:20' or an age";
                return false;
            }
            return compare(reading.time_ms, test.comparison, *literal.calendar_ms);
        default: wrong_kind = tag + " holds a value of no type that compares"; return false;
    }
}

std::string updates_text(int64_t updates) {
    return std::to_string(updates) + (updates == 1 ? " update" : " updates");
}

std::string message_text(const Moment &moment) {
    return "at message " + std::to_string(moment.messages) + ", " + time_of_day(moment.calendar);
}

}  // namespace

struct ExpectationSet::Test {
    TagTest spec;
    uint32_t expectation = 0;
    std::unordered_map<uint32_t, TagState> tags;  // by the id of the name
    int64_t holding = 0;                          // tags whose last update holds
    int64_t updates = 0;
    Reading last;
    Reading extreme;  // of an ordering: the highest value (> >=) or the lowest
    bool has_extreme = false;
    std::string broken;      // what made it stop holding, the last time it did
    std::string wrong_kind;  // why a value cannot be judged by it
    uint32_t last_key = 0;
    TagState *last_tag = nullptr;  // of last_key, in `tags`

    bool holds() const { return !tags.empty() && holding == static_cast<int64_t>(tags.size()); }
};

struct ExpectationSet::Judged {
    Expression expression;
    std::vector<uint32_t> tests;
    Timing timing;  // fresh without a timing word is judged always
    bool fresh = false;
    Outcome outcome = Outcome::kOpen;
    Verdict verdict;
    bool evaluated = false;
    bool touched = false;
    std::optional<Time> holding_since;
    Calendar holding_calendar;
    posix::Clock::Duration longest_hold{0};
};

ExpectationSet::ExpectationSet(std::vector<Expression> expressions, Time start)
    : start_(start), next_due_(Time::min()) {
    for (Expression &expression : expressions) {
        const auto index = static_cast<uint32_t>(judged_.size());
        Judged &judged = judged_.emplace_back();
        for (const TagTest &spec : expression.tests) {
            const auto test = static_cast<uint32_t>(tests_.size());
            Test &added = tests_.emplace_back();
            added.spec = spec;
            added.expectation = index;
            judged.tests.push_back(test);
            judged.fresh = judged.fresh || spec.kind == TestKind::kFresh;
            if (spec.pattern) {
                pattern_tests_.push_back(test);
            } else {
                exact_[spec.name].push_back(test);
            }
        }
        judged.timing = expression.timing == Timing::kEventually && judged.fresh
                            ? Timing::kAlways
                            : expression.timing;
        if (judged.fresh || judged.timing == Timing::kWithin || judged.timing == Timing::kFor) {
            timed_.push_back(index);
        }
        judged.verdict.expression = expression.text;
        judged.expression = std::move(expression);
    }
}

ExpectationSet::~ExpectationSet() = default;

const ExpectationSet::NameEntry &ExpectationSet::entry_of(std::string_view name) {
    if (const auto found = index_.find(name); found != index_.end()) return found->second;
    std::string text(name);
    NameEntry entry{static_cast<uint32_t>(index_.size()), {}};
    if (const auto exact = exact_.find(text); exact != exact_.end()) entry.tests = exact->second;
    for (const uint32_t test : pattern_tests_) {
        if (posix::matches_pattern(tests_[test].spec.name.c_str(), text.c_str())) {
            entry.tests.push_back(test);
        }
    }
    if (index_.size() >= kMostNames) {
        // Such names share one id: their tests see them as one tag.
        uncached_ = std::move(entry);
        return uncached_;
    }
    names_.push_back(std::move(text));
    return index_.emplace(names_.back(), std::move(entry)).first->second;
}

std::vector<ExpectationSet::KnownPlace> *ExpectationSet::places_of(int32_t list_id, int32_t count) {
    if (count > kMostPlaces) return nullptr;
    auto found = places_.find(list_id);
    if (found == places_.end()) {
        if (places_.size() >= kMostLists) return nullptr;
        found = places_.emplace(list_id, std::vector<KnownPlace>()).first;
    }
    if (found->second.size() < static_cast<std::size_t>(count)) {
        found->second.resize(static_cast<std::size_t>(count));
    }
    return &found->second;
}

void ExpectationSet::take(const receiver::ReceivedMessage &message, const Moment &moment) {
    check_time(moment);
    const records::MessageView tags = message.tags();
    // A status test also takes a message without values (a declare reply).
    const bool values = tags.values != nullptr && tags.descriptors != nullptr;
    if (!values && tags.statuses == nullptr) return;
    const TypeDescriptor no_value{};
    const unsigned char *value = tags.values;
    std::vector<KnownPlace> *places = places_of(message.view.list_id, tags.count);
    for (int32_t k = 0; k < tags.count; ++k) {
        const TypeDescriptor &descriptor = values ? tags.descriptors[k + 1] : no_value;
        const std::string_view name = receiver::unpadded(message.name(k));
        KnownPlace *known = places != nullptr ? &(*places)[static_cast<std::size_t>(k)] : nullptr;
        const NameEntry *entry = nullptr;
        if (known != nullptr && known->entry != nullptr && known->name == name) {
            entry = known->entry;
        } else {
            entry = &entry_of(name);
            if (known != nullptr && entry != &uncached_) *known = {std::string(name), entry};
        }
        const uint32_t id = entry->id;
        for (const uint32_t test : entry->tests) {
            const TagTest &spec = tests_[test].spec;
            if (!values && spec.kind != TestKind::kStatus) continue;
            if (spec.list_id && *spec.list_id != message.view.list_id) continue;
            if (!spec.device.empty() &&
                (message.view.device == nullptr || spec.device != message.view.device)) {
                continue;
            }
            update(tests_[test], id, name, descriptor, values ? value : nullptr,
                   tags.statuses != nullptr ? &tags.statuses[k] : nullptr, moment);
        }
        if (values) value += ts::value_step(descriptor.size);
    }
    for (const uint32_t index : touched_) {
        judged_[index].touched = false;
        evaluate(judged_[index], moment);
    }
    touched_.clear();
}

void ExpectationSet::update(Test &test, uint32_t key, std::string_view name,
                            const TypeDescriptor &descriptor, const unsigned char *value,
                            const TagStatus *status, const Moment &moment) {
    Judged &judged = judged_[test.expectation];
    if (judged.outcome != Outcome::kOpen) return;
    const TagTest &spec = test.spec;
    // Most tests see one tag alone, again and again.
    bool is_new = false;
    if (test.last_tag == nullptr || test.last_key != key) {
        const auto place = test.tags.try_emplace(key);
        is_new = place.second;
        test.last_key = key;
        test.last_tag = &place.first->second;
    }
    TagState &tag = *test.last_tag;
    const bool held = tag.holds;
    Reading reading = read_value(descriptor, value);
    reading.when = moment.calendar;
    ++tag.updates;
    ++test.updates;
    bool holds = false;
    switch (spec.kind) {
        case TestKind::kValue: holds = value_holds(spec, reading, name, test.wrong_kind); break;
        case TestKind::kAge:
            if (reading.type != Reading::Type::kTime) {
                test.wrong_kind = std::string(name) + " holds no TIME, which has an age";
            } else {
                const int64_t now_ms =
                    std::chrono::duration_cast<Milliseconds>(moment.calendar.time_since_epoch())
                        .count();
                holds = compare(now_ms - reading.time_ms, spec.comparison, spec.duration.count());
            }
            break;
        case TestKind::kStatus:
            reading = Reading{Reading::Type::kStatus, 0, false, {}, 0, 0, moment.calendar};
            if (status != nullptr) {
                reading.status = status->status;
                holds = (status->status == spec.status) == (spec.comparison == Comparison::kEqual);
            }
            break;
        case TestKind::kChanges: {
            const auto size = static_cast<std::size_t>(ts::value_step(descriptor.size));
            const std::string_view bytes(reinterpret_cast<const char *>(value), size);
            if (is_new) {
                tag.first = bytes;
            } else if (bytes != tag.first) {
                tag.changed = true;
            }
            holds = tag.changed;
            break;
        }
        case TestKind::kUpdates: holds = compare(tag.updates, spec.comparison, spec.count); break;
        case TestKind::kFresh:
            holds = is_new || held;
            if (is_new) {
                tag.name = name;
                next_due_ = std::min(next_due_, moment.at + spec.duration);
            }
            break;
    }
    tag.holds = holds;
    tag.last_update = moment.at;
    tag.last_calendar = moment.calendar;
    if (holds != held) test.holding += holds ? 1 : -1;
    if (!holds && (held || is_new)) {
        test.broken = (spec.pattern ? std::string(name) + " " : std::string()) +
                      (spec.kind == TestKind::kStatus ? "status " : "value ") +
                      reading_text(reading) + " at " + time_of_day(moment.calendar);
    }
    if (spec.kind == TestKind::kValue && is_ordering(spec.comparison) &&
        reading.type == Reading::Type::kNumber) {
        const bool higher = spec.comparison == Comparison::kGreater ||
                            spec.comparison == Comparison::kGreaterOrEqual;
        if (!test.has_extreme || (higher ? reading.number > test.extreme.number
                                         : reading.number < test.extreme.number)) {
            test.extreme = reading;
            test.has_extreme = true;
        }
    }
    test.last = std::move(reading);
    if (!judged.touched) {
        judged.touched = true;
        touched_.push_back(test.expectation);
    }
}

bool ExpectationSet::truth(const Judged &judged, const Condition &condition) const {
    switch (condition.op) {
        case Condition::Op::kTest: return tests_[judged.tests[condition.test]].holds();
        case Condition::Op::kNot: return !truth(judged, condition.operands[0]);
        case Condition::Op::kAnd:
            return std::all_of(condition.operands.begin(), condition.operands.end(),
                               [&](const Condition &c) { return truth(judged, c); });
        case Condition::Op::kOr:
            return std::any_of(condition.operands.begin(), condition.operands.end(),
                               [&](const Condition &c) { return truth(judged, c); });
    }
    return false;
}

void ExpectationSet::evaluate(Judged &judged, const Moment &moment) {
    if (judged.outcome != Outcome::kOpen) return;
    for (const uint32_t test : judged.tests) {
        if (!tests_[test].wrong_kind.empty()) {
            fail(judged, moment,
                 "failed at message " + std::to_string(moment.messages) + ", " +
                     tests_[test].wrong_kind);
            return;
        }
    }
    const bool holds = truth(judged, judged.expression.condition);
    judged.evaluated = true;
    switch (judged.timing) {
        case Timing::kEventually:
            if (holds) pass(judged, moment, "passed " + message_text(moment));
            break;
        case Timing::kWithin:
            if (holds && moment.at - start_ <= judged.expression.duration) {
                pass(judged, moment, "passed " + message_text(moment));
            }
            break;
        case Timing::kAlways:
            if (!holds) {
                fail(judged, moment,
                     "failed at message " + std::to_string(moment.messages) + ", " +
                         failing_reading(judged));
            }
            break;
        case Timing::kFor:
            if (!holds) {
                if (judged.holding_since) {
                    judged.longest_hold =
                        std::max(judged.longest_hold, moment.at - *judged.holding_since);
                }
                judged.holding_since.reset();
            } else if (!judged.holding_since) {
                judged.holding_since = moment.at;
                judged.holding_calendar = moment.calendar;
                next_due_ = std::min(next_due_, moment.at + judged.expression.duration);
            }
            held_long_enough(judged, moment);
            break;
    }
}

void ExpectationSet::check_time(const Moment &moment) {
    if (moment.at < next_due_) return;
    next_due_ = Time::max();
    const auto due = [this](Time at) {
        next_due_ = std::min(next_due_, at + posix::Clock::Duration(1));
    };
    for (const uint32_t index : timed_) {
        Judged &judged = judged_[index];
        if (judged.outcome != Outcome::kOpen) continue;
        bool stale = false;
        for (const uint32_t number : judged.tests) {
            Test &test = tests_[number];
            if (test.spec.kind != TestKind::kFresh) continue;
            for (auto &[key, tag] : test.tags) {
                if (!tag.holds) continue;
                if (moment.at - tag.last_update <= test.spec.duration) {
                    due(tag.last_update + test.spec.duration);
                    continue;
                }
                tag.holds = false;
                --test.holding;
                stale = true;
                test.broken = "no update of " + tag.name + " for more than " +
                              duration_text(test.spec.duration) + " after " +
                              time_of_day(tag.last_calendar);
            }
        }
        if (stale) evaluate(judged, moment);
        if (judged.outcome != Outcome::kOpen) continue;
        if (judged.timing == Timing::kWithin) {
            const Time deadline = start_ + judged.expression.duration;
            if (moment.at > deadline) {
                fail(judged, moment, "failed, " + evidence(judged));
            } else {
                due(deadline);
            }
        } else if (judged.timing == Timing::kFor && judged.holding_since &&
                   !held_long_enough(judged, moment)) {
            due(*judged.holding_since + judged.expression.duration);
        }
    }
}

bool ExpectationSet::held_long_enough(Judged &judged, const Moment &moment) {
    if (!judged.holding_since || moment.at - *judged.holding_since < judged.expression.duration) {
        return false;
    }
    pass(judged, moment,
         "passed, held " + duration_text(judged.expression.duration) + " from " +
             time_of_day(judged.holding_calendar));
    return true;
}

std::string ExpectationSet::failing_reading(const Judged &judged) const {
    for (const uint32_t number : judged.tests) {
        const Test &test = tests_[number];
        if (test.tags.empty()) return test.spec.name + " never seen";
        if (!test.holds() && !test.broken.empty()) return test.broken;
    }
    return "the condition is false at " + time_of_day(tests_[judged.tests[0]].last.when);
}

std::string ExpectationSet::evidence(const Judged &judged) const {
    std::string text;
    bool seen = false;
    for (const uint32_t number : judged.tests) {
        const Test &test = tests_[number];
        if (!text.empty()) text += "; ";
        if (judged.tests.size() > 1) text += test.spec.name + ": ";
        if (test.tags.empty()) {
            text += "never seen";
            continue;
        }
        seen = true;
        const TagTest &spec = test.spec;
        if (test.has_extreme) {
            text += spec.comparison == Comparison::kGreater ||
                            spec.comparison == Comparison::kGreaterOrEqual
                        ? "highest value "
                        : "lowest value ";
            text += reading_text(test.extreme) + " at " + time_of_day(test.extreme.when) + ", ";
        } else if (spec.kind == TestKind::kFresh && !test.broken.empty()) {
            text += test.broken + ", ";
        } else if (spec.kind != TestKind::kUpdates && spec.kind != TestKind::kFresh) {
            text += spec.kind == TestKind::kStatus ? "last status " : "last value ";
            text += reading_text(test.last);
            if (spec.kind == TestKind::kAge && test.last.type == Reading::Type::kTime) {
                text += " (age " +
                        duration_text(test.last.when.time_since_epoch() -
                                      Milliseconds(test.last.time_ms)) +
                        ")";
            }
            text += " at " + time_of_day(test.last.when) + ", ";
        }
        text += updates_text(test.updates);
    }
    return seen ? text : "never seen";
}

void ExpectationSet::pass(Judged &judged, const Moment &moment, std::string reason) {
    judged.outcome = Outcome::kPassed;
    judged.verdict.passed = true;
    judged.verdict.reason = std::move(reason);
    judged.verdict.seconds = std::chrono::duration<double>(moment.at - start_).count();
}

void ExpectationSet::fail(Judged &judged, const Moment &moment, std::string reason) {
    judged.outcome = Outcome::kFailed;
    judged.verdict.passed = false;
    judged.verdict.reason = std::move(reason);
    judged.verdict.seconds = std::chrono::duration<double>(moment.at - start_).count();
    ++failures_;
    new_failures_.push_back(judged.verdict);
}

std::vector<Verdict> ExpectationSet::new_failures() {
    std::vector<Verdict> failures;
    failures.swap(new_failures_);
    return failures;
}

bool ExpectationSet::passed(std::size_t index) const {
    return judged_[index].outcome == Outcome::kPassed;
}

std::size_t ExpectationSet::size() const {
    return judged_.size();
}

Outcome ExpectationSet::outcome(std::size_t index) const {
    return judged_[index].outcome;
}

const std::string &ExpectationSet::expression(std::size_t index) const {
    return judged_[index].verdict.expression;
}

std::vector<Verdict> ExpectationSet::finish(const Moment &moment) {
    check_time(moment);
    for (Judged &judged : judged_) {
        if (judged.outcome != Outcome::kOpen) continue;
        const std::string seen = evidence(judged);
        const std::string reason = seen == "never seen" ? seen : "failed, " + seen;
        switch (judged.timing) {
            case Timing::kEventually:
            case Timing::kWithin: fail(judged, moment, reason); break;
            case Timing::kAlways: {
                int64_t updates = 0;
                for (const uint32_t test : judged.tests) updates += tests_[test].updates;
                if (judged.evaluated) {
                    pass(judged, moment, "passed, " + updates_text(updates));
                } else {
                    fail(judged, moment, reason);
                }
                break;
            }
            case Timing::kFor: {
                const auto held = judged.holding_since ? std::max(judged.longest_hold,
                                                                  moment.at - *judged.holding_since)
                                                       : judged.longest_hold;
                fail(judged, moment,
                     seen == "never seen"
                         ? reason
                         : "failed, held " + duration_text(held) + " at most, " + seen);
                break;
            }
        }
    }
    new_failures_.clear();
    std::vector<Verdict> verdicts;
    for (const Judged &judged : judged_) verdicts.push_back(judged.verdict);
    return verdicts;
}

}  // namespace tavlo::expect
