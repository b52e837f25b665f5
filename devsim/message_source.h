// Where the simulator's messages come from: the plant, or a script.
#pragma once

#include <cstdint>
#include <string>

#include "plant.h"
#include "script_reader.h"

namespace tavlo::devsim {

class MessageSource {
public:
    virtual ~MessageSource() = default;
    // The next message, with the time a recording got it if it says; false
    // when there are no more.
    virtual bool next(script::ScriptMessage &message) = 0;
    // Why next() gave no message: "" at the end of the messages, else the
    // problem that ended them.
    virtual std::string problem() const { return ""; }
    // Whether the message next() gave last began a pass other than the
    // first: the script read again from its start.
    virtual bool starts_pass() const { return false; }
};

class PlantSource final : public MessageSource {
public:
    PlantSource(int64_t start_ms, int32_t step_ms, int64_t first_message)
        : plant_(start_ms, step_ms, first_message) {}
    bool next(script::ScriptMessage &message) override;

private:
    sim::Plant plant_;
};

// The messages of a script file, read as they are sent: the simulator holds
// one message of it at a time, however long the script.
class ScriptSource final : public MessageSource {
public:
    // Opens the script and reads its first message, to be played `passes`
    // times (0: for ever). Returns "" or the problem, as ScriptFile says it;
    // more than one pass needs a regular file, which can be read again.
    std::string open(const std::string &path, int64_t passes);

    bool next(script::ScriptMessage &message) override;
    std::string problem() const override { return problem_; }
    bool starts_pass() const override { return starts_pass_; }

private:
    script::ScriptFile file_;
    script::ScriptMessage first_;
    bool holding_first_ = false;
    int64_t passes_ = 1;
    int64_t pass_ = 1;
    bool pass_sent_ = false;  // the pass gave a message: another may follow
    bool starts_pass_ = false;
    std::string problem_;
};

}  // namespace tavlo::devsim
