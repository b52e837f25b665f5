// Bytes a client sent, made safe for the simulator's log.
#include "client_text.h"

#include "hex_digits.h"

namespace tavlo::devsim {

std::string loggable(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f) {
            text += c;
        } else {
            posix::append_hex_escape(text, byte);
        }
    }
    return text;
}

}  // namespace tavlo::devsim
