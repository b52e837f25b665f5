// Reading numbers from the console, converted leniently: the readers and the
// two number prompts.
#include <cstdio>
#include <cstdlib>

#include "tavlo_testsupport.h"

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
