// Where the simulator's messages come from: the plant, or a script.
#pragma once

#include <memory>
#include <vector>

#include "message_records.h"
#include "plant.h"

namespace tavlo::devsim {

class MessageSource {
public:
    virtual ~MessageSource() = default;
    // The next message, or false when there are no more.
    virtual bool next(records::Message &message) = 0;
};

class PlantSource final : public MessageSource {
public:
    PlantSource(int64_t start_ms, int32_t step_ms, int64_t first_message)
        : plant_(start_ms, step_ms, first_message) {}
    bool next(records::Message &message) override;

private:
    sim::Plant plant_;
};

class ScriptSource final : public MessageSource {
public:
    explicit ScriptSource(std::vector<records::Message> messages)
        : messages_(std::move(messages)) {}
    bool next(records::Message &message) override;

private:
    std::vector<records::Message> messages_;
    std::size_t next_ = 0;
};

}  // namespace tavlo::devsim
