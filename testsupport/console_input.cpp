// Console input: lines, numbers, a yes-or-no answer, a pause until RETURN,
// and the clearing of the screen.

#include "console_input.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tavlo_testsupport.h"

// Reading one line of the console: read_line and prompt_line.
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

// Reading numbers from the console, converted leniently: the readers and the
// two number prompts.
namespace {
// A numeric answer is read into a line of this size: only its first 255
// characters are converted.
constexpr int32_t kNumberLine = 256;
}  // namespace

extern "C" int32_t read_long(int32_t *target) {
    char line[kNumberLine];
    read_line(line, kNumberLine);
    if (line[0] != '\0' && target != nullptr) {
        // The leading number as atol takes it (strtol, so that an overlong
        // one saturates instead of being undefined), then its low 32 bits.
        const long value = std::strtol(line, nullptr, 10);
        *target = static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    return 0;
}

extern "C" int32_t read_int(int *target) {
    int32_t value = 0;
    read_long(&value);
    if (target != nullptr) *target = value;
    return 0;
}

extern "C" int32_t read_short(int16_t *target) {
    int value = 0;
    read_int(&value);
    if (target != nullptr) *target = static_cast<int16_t>(static_cast<uint16_t>(value));
    return 0;
}

extern "C" int32_t read_double(double *target) {
    char line[kNumberLine];
    read_line(line, kNumberLine);
    if (line[0] != '\0' && target != nullptr) *target = std::strtod(line, nullptr);
    return 0;
}

extern "C" int32_t read_float(float *target) {
    double value = 0.0;
    read_double(&value);
    // Rounded to the nearest float; beyond the float range, an infinity.
    if (target != nullptr) *target = static_cast<float>(value);
    return 0;
}

extern "C" void prompt_float(const char *prompt, float *target) {
    std::fputs(prompt, stdout);
    float value = 0.0f;
    read_float(&value);
    if (target != nullptr) *target = value;
}

extern "C" void prompt_long(const char *prompt, int32_t *target) {
    std::fputs(prompt, stdout);
    int32_t value = 0;
    read_long(&value);
    if (target != nullptr) *target = value;
}

// A yes-or-no answer from the console.
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

// A pause until RETURN is pressed.
extern "C" int wait_for_return(void) {
    std::fputs("\n\nPlease press RETURN to continue...", stdout);
    std::fflush(stdout);
    return std::getchar();
}

// Clearing the console screen through the command interpreter.
namespace {

// The command interpreter's command that clears the screen.
#ifdef _WIN32
constexpr char kClearCommand[] = "cls";
#else
constexpr char kClearCommand[] = "clear";
#endif

}  // namespace

extern "C" int clear_screen(void) {
    std::fflush(stdout);  // what was printed before goes out before the screen is cleared
    return std::system(kClearCommand);
}
