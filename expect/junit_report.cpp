// The verdicts as a JUnit XML report, in the form GitLab and Jenkins read:
// one testsuite in testsuites, a testcase for each expectation named by its
// expression, a failure element in each that failed.
#include <cstdio>
#include <ctime>

#include "report_files.h"

namespace tavlo::expect {

namespace {

// The text as XML character data or an attribute value. XML 1.0 has no
// place for control characters, nor for bytes that are no UTF-8: a device's
// text could hold them, so each such byte becomes '?'.
std::string escaped(const std::string &text) {
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: {
                std::size_t length = c < 0x80                 ? 1
                                     : c >= 0xC2 && c <= 0xDF ? 2
                                     : c >= 0xE0 && c <= 0xEF ? 3
                                     : c >= 0xF0 && c <= 0xF4 ? 4
                                                              : 0;
                for (std::size_t n = 1; n < length; ++n) {
                    if (k + n >= text.size() || (text[k + n] & 0xC0) != 0x80) length = 0;
                }
                if (length == 0 || (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F) {
                    out += '?';
                } else {
                    out.append(text, k, length);
                    k += length - 1;
                }
            }
        }
    }
    return out;
}

std::string seconds_text(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string property(const char *name, const std::string &value) {
    return "      <property name=\"" + std::string(name) + "\" value=\"" + escaped(value) +
           "\"/>\n";
}

}  // namespace

std::string junit_text(const std::vector<Verdict> &verdicts, const RunFacts &facts) {
    std::size_t failures = 0;
    for (const Verdict &verdict : verdicts) failures += verdict.passed ? 0 : 1;
    const std::string counts = "tests=\"" + std::to_string(verdicts.size()) + "\" failures=\"" +
                               std::to_string(failures) + "\" errors=\"0\"";
    const std::time_t started = std::chrono::system_clock::to_time_t(facts.started);
    std::tm parts{};
    gmtime_r(&started, &parts);
    char timestamp[32];
    std::strftime(timestamp, sizeof timestamp, "%Y-%m-%dT%H:%M:%S", &parts);
    const std::string suite = "tavlo_t_receiver " + facts.device;
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    text += "<testsuites name=\"tavlo_t_receiver\" " + counts + " time=\"" +
            seconds_text(facts.seconds) + "\">\n";
    text += "  <testsuite name=\"" + escaped(suite) + "\" " + counts + " skipped=\"0\" time=\"" +
            seconds_text(facts.seconds) + "\" timestamp=\"" + timestamp + "\">\n";
    text += "    <properties>\n";
    text += property("device", facts.device);
    text += property("messages_read", std::to_string(facts.messages));
    text += property("expectations_failed", std::to_string(failures));
    if (facts.mqtt) {
        for (const accounting::MqttEndCount &count : accounting::kMqttEndCounts) {
            text += property(("mqtt_messages_" + std::string(count.name)).c_str(),
                             std::to_string((*facts.mqtt).*count.count));
        }
    }
    text += "    </properties>\n";
    for (const Verdict &verdict : verdicts) {
        text += "    <testcase name=\"" + escaped(verdict.expression) + "\" classname=\"" +
                escaped(suite) + "\" time=\"" + seconds_text(verdict.seconds) + "\"";
        if (verdict.passed) {
            text += "/>\n";
            continue;
        }
        text += ">\n      <failure message=\"" + escaped(verdict.reason) +
                "\" type=\"expectation\">" + escaped(verdict.line()) + "</failure>\n";
        text += "    </testcase>\n";
    }
    text += "  </testsuite>\n</testsuites>\n";
    return text;
}

}  // namespace tavlo::expect
