// The kinds of message a read returns: their names, the text report's
// titles, and the arrays each kind carries.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "tavlo.h"

namespace tavlo::receiver {

struct MessageKindRow {
    MessageKind code;
    std::string_view name;   // in JSON and after --kind; empty for other kinds
    std::string_view title;  // of the text report; empty: the text report leaves it out
    // The arrays the kind carries besides the names and the statuses.
    bool descriptors;
    bool values;
    bool timestamps;
};

// The five kinds the text report shows, then the row of every other kind,
// which carries whatever arrays the read returned.
constexpr MessageKindRow kMessageKinds[] = {
    {TAVLO_MSG_GET_REPLY, "get", "Get reply received for:", true, true, true},
    {TAVLO_MSG_PUT_REPLY, "put", "Put reply received for:", true, true, true},
    {TAVLO_MSG_DECLARE_REPLY, "declare", "Declare reply received for:", true, false, false},
    {TAVLO_MSG_CANCEL_REPLY, "cancel", "Cancel reply received for:", false, false, false},
    {TAVLO_MSG_UNSOLICITED, "unsolicited", "Unsolicited Values received for:", true, true, true},
    {0, {}, {}, true, true, true},
};
constexpr std::size_t kOtherKinds = std::size(kMessageKinds) - 1;

// The place of the kind's row in kMessageKinds (kOtherKinds for a kind of
// no row of its own).
std::size_t kind_index(MessageKind kind);

// A kind as --kind gives it: one of the names, or a 32-bit whole number.
std::optional<MessageKind> kind_named(const std::string &word);

}  // namespace tavlo::receiver
