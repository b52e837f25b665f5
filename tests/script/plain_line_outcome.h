// The one-pass readers of plain lines next to the general reader: the
// lines through a builder both ways, and the outcomes compared.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "script_builder.h"
#include "text_tokens.h"

namespace tavlo::script {

// What a builder made of some lines: the messages, or the first error.
struct Outcome {
    std::vector<ScriptMessage> messages;
    ScriptError error;
    bool failed = false;
    int quick = 0;  // tag lines the one-pass reader took
};

// The lines through a builder as the general reader takes them, or with
// each line offered to the one-pass reader first, as the script reader does.
inline Outcome build(const std::vector<std::string> &lines, bool quick) {
    Outcome out;
    ScriptBuilder builder;
    std::vector<std::string_view> tokens;
    std::string unescaped;
    PlainTagLine plain;
    for (std::size_t i = 0; i < lines.size() && !out.failed; ++i) {
        const int number = static_cast<int>(i) + 1;
        if (quick && read_plain_tag_line(lines[i], plain) && builder.take_plain_tag(plain)) {
            ++out.quick;
            continue;
        }
        if (const char *reason = tavlo::script::split_tokens(
                lines[i], tavlo::script::Quoting::kEscapes, tokens, unescaped)) {
            out.error = ScriptError{number, reason};
            out.failed = true;
        } else if (!tokens.empty()) {
            if (tokens[0] == "message" && builder.building()) {
                builder.take_message(out.messages.emplace_back());
            }
            out.failed = !builder.take(tokens, number, out.error);
        }
    }
    if (!out.failed && builder.building()) builder.take_message(out.messages.emplace_back());
    return out;
}

// The same message, every field of it and of every tag.
inline void expect_same_message(const ScriptMessage &m, const ScriptMessage &n,
                                const std::string &shown) {
    EXPECT_EQ(m.message.kind, n.message.kind) << shown;
    EXPECT_EQ(m.message.device, n.message.device) << shown;
    EXPECT_EQ(m.message.unit, n.message.unit) << shown;
    EXPECT_EQ(m.message.list_id, n.message.list_id) << shown;
    EXPECT_EQ(m.message.sequence, n.message.sequence) << shown;
    EXPECT_EQ(m.message.name_stride, n.message.name_stride) << shown;
    EXPECT_EQ(m.received, n.received) << shown;
    const auto &a = m.message.tags;
    const auto &b = n.message.tags;
    ASSERT_EQ(a.size(), b.size()) << shown;
    for (std::size_t k = 0; k < a.size(); ++k) {
        EXPECT_EQ(a[k].name, b[k].name) << shown;
        EXPECT_EQ(a[k].data_type, b[k].data_type) << shown;
        EXPECT_EQ(a[k].device_data_type, b[k].device_data_type) << shown;
        EXPECT_EQ(a[k].value, b[k].value) << shown;
        EXPECT_EQ(a[k].element_count, b[k].element_count) << shown;
        EXPECT_EQ(a[k].status.status, b[k].status.status) << shown;
        EXPECT_EQ(a[k].status.facility, b[k].status.facility) << shown;
        EXPECT_EQ(a[k].status.driver_status, b[k].status.driver_status) << shown;
        EXPECT_EQ(a[k].timestamp.seconds, b[k].timestamp.seconds) << shown;
        EXPECT_EQ(a[k].timestamp.milliseconds, b[k].timestamp.milliseconds) << shown;
    }
}

// Both ways the same: every message, field by field, or the same error.
inline void expect_same_outcome(const std::vector<std::string> &lines) {
    const Outcome general = build(lines, false);
    const Outcome quick = build(lines, true);
    std::string shown;
    for (const std::string &line : lines) shown += testing::PrintToString(line) + "\n";
    ASSERT_EQ(quick.failed, general.failed) << shown << general.error.reason;
    if (general.failed) {
        EXPECT_EQ(quick.error.line, general.error.line) << shown;
        EXPECT_EQ(quick.error.reason, general.error.reason) << shown;
        return;
    }
    ASSERT_EQ(quick.messages.size(), general.messages.size()) << shown;
    for (std::size_t i = 0; i < quick.messages.size(); ++i) {
        expect_same_message(quick.messages[i], general.messages[i], shown);
    }
}

}  // namespace tavlo::script
