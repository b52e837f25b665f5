// The expectations of one receiver run: what the loop hands them (every
// message read, every pass) and what the run's end makes of them (the
// verdicts on standard error, the JSON line, the JUnit and TAP files).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "expectation_set.h"
#include "mqtt_delivery.h"

namespace tavlo::expect {

struct JudgementSettings {
    std::vector<Expression> expectations;  // --expect
    std::optional<Expression> until;       // --until
    // --expect 'no gaps' and --expect 'sequence unbroken', as given.
    std::vector<std::string> sequence_checks;
    bool fail_fast = false;  // end the run at the first failure
    std::string junit_path;  // "" for none
    std::string tap_path;    // "" for none

    bool any() const { return !expectations.empty() || until || !sequence_checks.empty(); }
};

enum class RunOutcome {
    kNotJudged,    // neither --expect nor --until
    kPassed,       // every expectation passed
    kFailed,       // one failed at least
    kNothingRead,  // no message came in the whole run
};

// An expectation as given (--until with its word), and where it stands.
struct Standing {
    std::string expression;
    Outcome outcome = Outcome::kOpen;
};

class RunJudgement {
public:
    // The clock gives the run's start now, and every time after.
    RunJudgement(JudgementSettings settings, posix::Clock &clock);

    // A message read, before the filters. False when the run is to end:
    // --until holds, or --fail-fast after a failure.
    bool take(const receiver::ReceivedMessage &message);

    // A pass of the loop: what time alone decides. False as for take().
    bool tick();

    // The end of the run, in which `messages_missing` sequence numbers of
    // the devices were skipped and, with --mqtt, the publishing counted
    // `mqtt`: the verdicts on standard error, the JSON line on standard
    // output when `json` (the caller flushes it), the files.
    RunOutcome finish(const char *device, bool json, int64_t messages_missing,
                      const std::optional<accounting::MqttDelivery> &mqtt);

    // Where every expectation stands, in the order of the verdicts, now that
    // `messages_missing` sequence numbers were skipped: a sequence check
    // fails as soon as one was, and passes at the end otherwise.
    std::vector<Standing> standings(int64_t messages_missing) const;

private:
    Moment moment();
    bool goes_on();

    JudgementSettings settings_;
    posix::Clock &clock_;
    posix::Clock::Time start_;
    Calendar started_;
    std::optional<ExpectationSet> set_;
    int64_t messages_ = 0;
    bool finished_ = false;
};

}  // namespace tavlo::expect
