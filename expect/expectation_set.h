// The expectations of a run, judged on every message read: each test keeps
// the state of the tags it matches, each expectation its timing, and the
// tags' names index the tests so that a message costs work in proportion to
// its tags and the tests that name them, not to all the tests there are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "clock.h"
#include "expression.h"
#include "received_message.h"
#include "verdict.h"

namespace tavlo::expect {

// The moment of a judgement: the steady time, the calendar time, and how
// many messages the run has read.
struct Moment {
    posix::Clock::Time at;
    Calendar calendar;
    int64_t messages = 0;
};

// Where one expectation stands: still open, or decided.
enum class Outcome { kOpen, kPassed, kFailed };

class ExpectationSet {
public:
    // `start`: the start of the run, from which `within` counts.
    ExpectationSet(std::vector<Expression> expressions, posix::Clock::Time start);
    ~ExpectationSet();
    ExpectationSet(const ExpectationSet &) = delete;
    ExpectationSet &operator=(const ExpectationSet &) = delete;

    // A message read, before the filters; `moment.messages` counts it. The
    // tags of a message that carries values are updates of their tests; a
    // status test also takes those of one with statuses alone.
    void take(const receiver::ReceivedMessage &message, const Moment &moment);

    // Decides what time alone decides: a `within` that ran out, a `for`
    // that has held long enough, a tag that stayed too long without an
    // update. Cheap when nothing is due.
    void check_time(const Moment &moment);

    // The verdicts of the expectations that failed since the last call, to
    // be said at once.
    std::vector<Verdict> new_failures();

    bool passed(std::size_t index) const;
    // How many expressions there are; `index` counts them in the order given.
    std::size_t size() const;
    Outcome outcome(std::size_t index) const;
    const std::string &expression(std::size_t index) const;
    std::size_t failures() const { return failures_; }

    // The end of the run: decides what is still open and returns every
    // verdict, in the order of the expressions.
    std::vector<Verdict> finish(const Moment &moment);

private:
    struct Test;
    struct Judged;
    struct NameEntry {
        uint32_t id;
        std::vector<uint32_t> tests;  // that match the name
    };
    // The name a place of a list had last, and its entry: a list mostly
    // sends the same names in the same places, and comparing a name costs
    // less than a search of the index.
    struct KnownPlace {
        std::string name;
        const NameEntry *entry = nullptr;
    };

    // The entry of a name, its tests found once for each name.
    const NameEntry &entry_of(std::string_view name);
    // The known places of the list, at least `count` of them; null for a
    // list beyond what is kept, or for more than kMostPlaces places.
    std::vector<KnownPlace> *places_of(int32_t list_id, int32_t count);
    void update(Test &test, uint32_t key, std::string_view name, const TypeDescriptor &descriptor,
                const unsigned char *value, const TagStatus *status, const Moment &moment);
    void evaluate(Judged &judged, const Moment &moment);
    bool truth(const Judged &judged, const Condition &condition) const;
    // Passes a `for` that has held long enough by `moment`; true when it did.
    bool held_long_enough(Judged &judged, const Moment &moment);
    void pass(Judged &judged, const Moment &moment, std::string reason);
    void fail(Judged &judged, const Moment &moment, std::string reason);
    std::string evidence(const Judged &judged) const;
    std::string failing_reading(const Judged &judged) const;

    posix::Clock::Time start_;
    std::vector<Judged> judged_;
    std::vector<Test> tests_;
    std::unordered_map<std::string, std::vector<uint32_t>> exact_;
    std::vector<uint32_t> pattern_tests_;
    std::deque<std::string> names_;  // the keys of `index_` point into it
    std::unordered_map<std::string_view, NameEntry> index_;
    NameEntry uncached_;  // for names beyond what the index keeps
    std::unordered_map<int32_t, std::vector<KnownPlace>> places_;  // by list id
    std::vector<uint32_t> timed_;    // within, for, fresh: what check_time looks at
    posix::Clock::Time next_due_;    // check_time does nothing before it
    std::vector<uint32_t> touched_;  // expectations a message updated
    std::vector<Verdict> new_failures_;
    std::size_t failures_ = 0;
};

}  // namespace tavlo::expect
