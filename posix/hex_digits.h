// Bytes in hexadecimal: the one table of the digits, and the \xHH escape
// that the simulator's log and the receiver's terminal report write.
#pragma once

#include <string>

namespace tavlo::posix {

// Lower case, the digits of 0 to 15 in order.
inline constexpr char kHexDigits[] = "0123456789abcdef";

// Appends "\x" and the two digits of `byte`.
inline void append_hex_escape(std::string &out, unsigned char byte) {
    const char escape[] = {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 0xf]};
    out.append(escape, sizeof escape);
}

}  // namespace tavlo::posix
