// Fuzz target: the JSON string of any bytes is valid UTF-8 and valid JSON
// string syntax, says whether the bytes were UTF-8, and gives them back:
// its escapes read back as the characters they stand for, and \u0080 to
// \u00ff, which stand only for bytes that are not UTF-8, as those bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "json_text.h"

namespace {

// Bytes of the well-formed UTF-8 character at `at`, or 0: decoded, then
// checked against the smallest code point of its length.
std::size_t character_length(const std::string &s, std::size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    if (lead < 0x80) return 1;
    const std::size_t length = lead >= 0xF8   ? 0
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 0;
    if (length == 0 || at + length > s.size()) return 0;
    uint32_t code = lead & (0xFFu >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3Fu);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool is_utf8(const std::string &s) {
    for (std::size_t at = 0; at < s.size();) {
        const std::size_t length = character_length(s, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;  // the writer's hex is lower case
}

// The bytes a JSON string stands for, checking its syntax on the way.
std::string read_back(const std::string &json) {
    if (json.size() < 2 || json.front() != '"' || json.back() != '"') __builtin_trap();
    std::string bytes;
    for (std::size_t k = 1; k + 1 < json.size(); ++k) {
        const auto c = static_cast<unsigned char>(json[k]);
        if (c < 0x20 || c == 0x7F || c == '"') __builtin_trap();
        if (c != '\\') {
            bytes += json[k];
            continue;
        }
        if (++k + 1 >= json.size()) __builtin_trap();
        const std::string shorts = "\"\\bfnrt";
        const std::string meanings = "\"\\\b\f\n\r\t";
        if (const auto at = shorts.find(json[k]); at != std::string::npos) {
            bytes += meanings[at];
            continue;
        }
        if (json[k] != 'u' || k + 5 >= json.size()) __builtin_trap();
        int code = 0;
        for (std::size_t d = 1; d <= 4; ++d) {
            const int digit = hex_digit(json[k + d]);
            if (digit < 0) __builtin_trap();
            code = code * 16 + digit;
        }
        if (code > 0xFF) __builtin_trap();  // only control characters and single bytes
        bytes += static_cast<char>(code);
        k += 4;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    char *text = nullptr;
    std::size_t length = 0;
    std::FILE *stream = open_memstream(&text, &length);
    if (stream == nullptr) std::abort();
    bool utf8 = false;
    {
        tavlo::ts::ReportWriter out(stream);
        utf8 = tavlo::json::write_string(out, input);
    }
    std::fclose(stream);
    const std::string json(text, length);
    std::free(text);
    if (!is_utf8(json)) __builtin_trap();
    if (read_back(json) != input) __builtin_trap();
    if (utf8 != is_utf8(input)) __builtin_trap();
    return 0;
}
