// A yes-or-no answer from the console.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "console_input_end.h"
#include "tavlo_testsupport.h"

namespace {
// The answer is read into a 256-byte line with a read of size 255: lines of
// up to 254 characters are kept, longer ones cut.
constexpr int32_t kAnswerRead = 255;
}  // namespace

extern "C" int32_t ask_yes_no(void) {
    for (;;) {
        char line[kAnswerRead + 1];
        read_line(line, kAnswerRead);
        if (tavlo::ts::console_input_ended()) return 0;
        if (std::strlen(line) <= 1) {
            const int answer = std::toupper(static_cast<unsigned char>(line[0]));
            if (answer == 'Y') return 1;
            if (answer == 'N') return 0;
        }
        std::fputs("\nInvalid entry, please re-enter: ", stdout);
    }
}
