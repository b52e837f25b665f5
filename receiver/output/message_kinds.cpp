// The kinds of message a read returns: their names, the text report's
// titles, and the arrays each kind carries.
#include "message_kinds.h"

#include <cstdint>
#include <limits>
#include <string>

#include "number_reading.h"

namespace tavlo::receiver {

std::size_t kind_index(MessageKind kind) {
    std::size_t k = 0;
    while (k < kOtherKinds && kMessageKinds[k].code != kind) ++k;
    return k;
}

std::optional<MessageKind> kind_named(const std::string &word) {
    for (std::size_t k = 0; k < kOtherKinds; ++k) {
        if (kMessageKinds[k].name == word) return kMessageKinds[k].code;
    }
    int64_t number = 0;
    if (!cli::read_whole_number(word.c_str(), std::numeric_limits<int32_t>::min(),
                                std::numeric_limits<int32_t>::max(), number)
             .empty()) {
        return std::nullopt;
    }
    return static_cast<MessageKind>(number);
}

}  // namespace tavlo::receiver
