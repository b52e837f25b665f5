// The text report made safe for a terminal: a device's bytes that a
// terminal would act on (move, clear, retitle, write its clipboard) are
// shown as a visible \xHH instead, every other byte as it came.
#pragma once

#include <cstddef>
#include <string>

namespace tavlo::receiver {

// Escaped are the C0 controls but line feed and tab, DEL, and the C1
// controls: a byte 0x80-0x9f outside a valid UTF-8 sequence, and the two
// bytes of a UTF-8 encoded U+0080-U+009F, which some terminals also take as
// C1 controls. Valid UTF-8 and any other byte pass unchanged; a backslash
// too.
//
// The report comes in pieces: a UTF-8 sequence that a piece ends in the
// middle of is held back until the next piece shows whether it is whole.
class ControlEscaper {
public:
    // Appends `data` to `out`, escaped; may hold up to three bytes back.
    void escape(const char *data, std::size_t size, std::string &out);

    // Appends the bytes held back, as bytes of no whole sequence.
    void finish(std::string &out);

private:
    std::string held_;
};

}  // namespace tavlo::receiver
