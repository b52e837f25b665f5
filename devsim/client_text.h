// Bytes a client sent, made safe for the simulator's log.
#pragma once

#include <string>
#include <string_view>

namespace tavlo::devsim {

// `bytes` with printable ASCII (space to '~') as it is and every other byte
// as \xHH, so that a client cannot put a control sequence on the
// operator's terminal (retitle it, clear it) through a log line.
std::string loggable(std::string_view bytes);

}  // namespace tavlo::devsim
