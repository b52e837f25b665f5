// Bytes a client sent, made safe for the simulator's log.
#include "client_text.h"

namespace tavlo::devsim {

std::string loggable(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0x0f];
        }
    }
    return text;
}

}  // namespace tavlo::devsim
