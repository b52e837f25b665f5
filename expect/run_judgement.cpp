// The expectations of one receiver run.
#include "run_judgement.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "files.h"
#include "json_verdict.h"
#include "replace_file.h"
#include "report_files.h"

namespace tavlo::expect {

RunJudgement::RunJudgement(JudgementSettings settings, posix::Clock &clock)
    : settings_(std::move(settings)),
      clock_(clock),
      start_(clock.now()),
      started_(clock.calendar_now()) {
    if (!settings_.any()) return;
    std::vector<Expression> expressions = settings_.expectations;
    if (settings_.until) {
        expressions.push_back(*settings_.until);
        expressions.back().text = "until " + expressions.back().text;
    }
    set_.emplace(std::move(expressions), start_);
}

Moment RunJudgement::moment() {
    return {clock_.now(), clock_.calendar_now(), messages_};
}

bool RunJudgement::goes_on() {
    for (const Verdict &verdict : set_->new_failures()) {
        std::fprintf(stderr, "%s\n", verdict.line().c_str());
    }
    if (settings_.fail_fast && set_->failures() > 0) return false;
    return !settings_.until || !set_->passed(settings_.expectations.size());
}

bool RunJudgement::take(const receiver::ReceivedMessage &message) {
    if (!set_) return true;
    ++messages_;
    Moment now = moment();
    now.calendar = message.received;
    set_->take(message, now);
    return goes_on();
}

bool RunJudgement::tick() {
    if (!set_) return true;
    set_->check_time(moment());
    return goes_on();
}

RunOutcome RunJudgement::finish(const char *device, bool json, int64_t messages_missing,
                                const std::optional<accounting::MqttDelivery> &mqtt) {
    if (!set_) return RunOutcome::kNotJudged;
    const Moment end = moment();
    std::vector<Verdict> verdicts = set_->finish(end);
    finished_ = true;
    const double seconds = std::chrono::duration<double>(end.at - start_).count();
    for (const std::string &text : settings_.sequence_checks) {
        verdicts.push_back(
            {text, messages_missing == 0,
             messages_missing == 0
                 ? "passed, no message missing in " + std::to_string(messages_) + " messages"
                 : "failed, " + std::to_string(messages_missing) +
                       " messages missing in the devices' sequences",
             seconds});
    }
    for (const Verdict &verdict : verdicts) std::fprintf(stderr, "%s\n", verdict.line().c_str());
    if (json) {
        ts::ReportWriter out(stdout);
        write_json_verdict(out, verdicts, mqtt);
    }
    const RunFacts facts{device, messages_, seconds, started_, mqtt};
    const std::pair<const std::string &,
                    std::string (*)(const std::vector<Verdict> &, const RunFacts &)>
        files[] = {{settings_.junit_path, junit_text}, {settings_.tap_path, tap_text}};
    for (const auto &[path, text] : files) {
        if (path.empty()) continue;
        if (const int error = posix::replace_file(path, text(verdicts, facts)); error != 0) {
            std::fprintf(stderr, "tavlo_t_receiver: %s: %s\n", path.c_str(),
                         posix::error_text(error).c_str());
        }
    }
    if (messages_ == 0) return RunOutcome::kNothingRead;
    const bool sequence_failed = messages_missing > 0 && !settings_.sequence_checks.empty();
    return set_->failures() > 0 || sequence_failed ? RunOutcome::kFailed : RunOutcome::kPassed;
}

std::vector<Standing> RunJudgement::standings(int64_t messages_missing) const {
    std::vector<Standing> standings;
    if (!set_) return standings;
    for (std::size_t i = 0; i < set_->size(); ++i) {
        standings.push_back({set_->expression(i), set_->outcome(i)});
    }
    const Outcome sequence = messages_missing > 0 ? Outcome::kFailed
                             : finished_          ? Outcome::kPassed
                                                  : Outcome::kOpen;
    for (const std::string &text : settings_.sequence_checks) standings.push_back({text, sequence});
    return standings;
}

}  // namespace tavlo::expect
