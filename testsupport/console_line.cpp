// Reading one line of the console: read_line and prompt_line.
#include <cstdio>
#include <cstring>

#include "console_input_end.h"
#include "tavlo_testsupport.h"

namespace {
// Every line passes through a working buffer of this size: lines of up to
// 1199 characters are kept whole.
constexpr int kWorkingLine = 1200;

// What the latest read_line found; see console_input_ended().
bool g_input_ended = false;
}  // namespace

bool tavlo::ts::console_input_ended() {
    return g_input_ended;
}

extern "C" int32_t read_line(char *buffer, int32_t size) {
    char line[kWorkingLine] = {};
    std::fflush(stdout);  // the prompt is visible before the read waits
    int length = 0;
    int c = std::getchar();
    g_input_ended = c == EOF;
    for (; c != EOF && c != '\n'; c = std::getchar()) {
        // The rest of an overlong line is read and dropped, never left for
        // the next read.
        if (length < kWorkingLine - 1) line[length++] = static_cast<char>(c);
    }
    if (buffer == nullptr || size < 1) return 0;
    const int kept = length < size - 1 ? length : size - 1;
    std::memcpy(buffer, line, static_cast<std::size_t>(kept));
    buffer[kept] = '\0';
    return 0;
}

extern "C" int32_t prompt_line(const char *prompt, char *buffer, int32_t size) {
    std::fputs(prompt, stdout);
    return read_line(buffer, size);
}
