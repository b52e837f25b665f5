// Where the simulator's messages come from: the plant, or a script.
#include "message_source.h"

namespace tavlo::devsim {

bool PlantSource::next(records::Message &message) {
    plant_.next(message);
    return true;
}

bool ScriptSource::next(records::Message &message) {
    if (next_ >= messages_.size()) return false;
    message = messages_[next_++];
    return true;
}

}  // namespace tavlo::devsim
