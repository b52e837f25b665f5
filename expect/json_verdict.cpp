// The verdicts as the last line of the JSON output.
#include "json_verdict.h"

#include "json_text.h"

namespace tavlo::expect {

namespace {

// ,"mqtt":{"published":N,...}
void write_mqtt_counts(ts::ReportWriter &out, const accounting::MqttDelivery &mqtt) {
    const char *separator = ",\"mqtt\":{\"";
    for (const accounting::MqttEndCount &count : accounting::kMqttEndCounts) {
        out.text(separator);
        separator = ",\"";
        out.text(count.name);
        out.text("\":");
        out.integer(static_cast<long long>(mqtt.*count.count));
    }
    out.text("}");
}

}  // namespace

void write_json_verdict(ts::ReportWriter &out, const std::vector<Verdict> &verdicts,
                        const std::optional<accounting::MqttDelivery> &mqtt) {
    long long passed = 0;
    for (const Verdict &verdict : verdicts) passed += verdict.passed ? 1 : 0;
    // The version of the message lines: this line is one more kind of them.
    out.text("{\"version\":1,\"kind\":\"verdict\",\"passed\":");
    out.integer(passed);
    out.text(",\"failed\":");
    out.integer(static_cast<long long>(verdicts.size()) - passed);
    out.text(",\"expectations\":[");
    const char *separator = "{";
    for (const Verdict &verdict : verdicts) {
        out.text(separator);
        separator = ",{";
        json::write_text_member(out, "expression", verdict.expression);
        out.text(verdict.passed ? ",\"passed\":true," : ",\"passed\":false,");
        json::write_text_member(out, "reason", verdict.reason);
        out.text(",\"seconds\":");
        json::write_number(out, verdict.seconds);
        out.text("}");
    }
    out.text("]");
    if (mqtt) write_mqtt_counts(out, *mqtt);
    out.text("}\n");
}

}  // namespace tavlo::expect
