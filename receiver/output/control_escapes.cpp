// The text report made safe for a terminal.
#include "control_escapes.h"

#include <string_view>

#include "hex_digits.h"

namespace tavlo::receiver {

namespace {

constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9f;
constexpr unsigned char kDelete = 0x7f;

bool is_c1(unsigned char byte) {
    return byte >= kFirstC1 && byte <= kLastC1;
}

bool is_c0_control(unsigned char byte) {
    return (byte < 0x20 && byte != '\n' && byte != '\t') || byte == kDelete;
}

// What the bytes from a lead byte at the start of `bytes` make.
enum class Sequence { kWhole, kCutShort, kInvalid };

struct SequenceAt {
    Sequence kind;
    std::size_t length;  // of a whole sequence
};

// The range the byte after a lead byte must be in, and the whole length.
struct LeadRule {
    unsigned char low;
    unsigned char high;
    std::size_t length;
};

LeadRule lead_rule(unsigned char lead) {
    if (lead >= 0xc2 && lead <= 0xdf) return {0x80, 0xbf, 2};
    if (lead == 0xe0) return {0xa0, 0xbf, 3};  // no overlong form
    if (lead == 0xed) return {0x80, 0x9f, 3};  // no surrogate
    if (lead >= 0xe1 && lead <= 0xef) return {0x80, 0xbf, 3};
    if (lead == 0xf0) return {0x90, 0xbf, 4};  // no overlong form
    if (lead >= 0xf1 && lead <= 0xf3) return {0x80, 0xbf, 4};
    if (lead == 0xf4) return {0x80, 0x8f, 4};  // up to U+10FFFF
    return {0, 0, 0};                          // no lead byte
}

SequenceAt sequence_at(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const LeadRule rule = lead_rule(lead);
    if (rule.length == 0) return {Sequence::kInvalid, 0};
    for (std::size_t i = 1; i < rule.length; ++i) {
        if (i == bytes.size()) return {Sequence::kCutShort, 0};
        const auto next = static_cast<unsigned char>(bytes[i]);
        const unsigned char low = i == 1 ? rule.low : 0x80;
        const unsigned char high = i == 1 ? rule.high : 0xbf;
        if (next < low || next > high) return {Sequence::kInvalid, 0};
    }
    return {Sequence::kWhole, rule.length};
}

// Escapes `bytes` into `out`; returns how many bytes at the end are the
// start of a sequence cut short, which it leaves alone.
std::size_t escape_bytes(std::string_view bytes, std::string &out, bool more_to_come) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < kFirstC1) {
            if (is_c0_control(byte)) {
                posix::append_hex_escape(out, byte);
            } else {
                out += static_cast<char>(byte);
            }
            ++i;
            continue;
        }
        const SequenceAt at = sequence_at(bytes.substr(i));
        if (at.kind == Sequence::kCutShort && more_to_come) return bytes.size() - i;
        if (at.kind == Sequence::kWhole) {
            // U+0080-U+009F: C2 80 to C2 9F.
            if (byte == 0xc2 && is_c1(static_cast<unsigned char>(bytes[i + 1]))) {
                posix::append_hex_escape(out, byte);
                posix::append_hex_escape(out, static_cast<unsigned char>(bytes[i + 1]));
            } else {
                out.append(bytes.substr(i, at.length));
            }
            i += at.length;
            continue;
        }
        if (is_c1(byte)) {
            posix::append_hex_escape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
        ++i;
    }
    return 0;
}

}  // namespace

void ControlEscaper::escape(const char *data, std::size_t size, std::string &out) {
    std::string_view bytes(data, size);
    std::string joined;
    if (!held_.empty()) {
        joined = held_;
        joined.append(bytes);
        bytes = joined;
    }
    const std::size_t cut = escape_bytes(bytes, out, true);
    held_.assign(bytes.substr(bytes.size() - cut));
}

void ControlEscaper::finish(std::string &out) {
    escape_bytes(held_, out, false);
    held_.clear();
}

}  // namespace tavlo::receiver
