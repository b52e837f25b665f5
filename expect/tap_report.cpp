// The verdicts as TAP 13: the version, the plan, a test line for each
// expectation and, under each that failed, its reason in a YAML block.
#include "report_files.h"

namespace tavlo::expect {

namespace {

// A test line's description ends at a '#', which starts a directive, and
// at the line's end.
std::string description(const std::string &text) {
    std::string out;
    for (const char c : text) {
        if (c == '#') out += '\\';
        out += c == '\n' || c == '\r' ? ' ' : c;
    }
    return out;
}

// A YAML scalar in single quotes: a quote in the text is doubled, and a line
// break becomes a blank.
std::string quoted(const std::string &text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') out += '\'';
        out += c == '\n' || c == '\r' ? ' ' : c;
    }
    return out + "'";
}

}  // namespace

std::string tap_text(const std::vector<Verdict> &verdicts, const RunFacts &facts) {
    std::string text = "TAP version 13\n1.." + std::to_string(verdicts.size()) + "\n";
    std::size_t number = 0;
    for (const Verdict &verdict : verdicts) {
        text += (verdict.passed ? "ok " : "not ok ") + std::to_string(++number) + " - " +
                description(verdict.expression) + "\n";
        if (!verdict.passed) {
            text += "  ---\n  message: " + quoted(verdict.reason) + "\n  severity: fail\n  ...\n";
        }
    }
    text += "# device " + description(facts.device) + ", " + std::to_string(facts.messages) +
            " messages read\n";
    if (facts.mqtt) {
        const char *separator = "# MQTT messages: ";
        for (const accounting::MqttEndCount &count : accounting::kMqttEndCounts) {
            text += separator + std::to_string((*facts.mqtt).*count.count) + " " + count.name;
            separator = ", ";
        }
        text += "\n";
    }
    return text;
}

}  // namespace tavlo::expect
