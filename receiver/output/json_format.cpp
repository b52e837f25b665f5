// The JSON format: one JSON object a line on standard output for every
// message the filters leave, of every kind; the receiver's own lines go to
// standard error. The fields are described in docs/json-output.md.
#include <cstring>

#include "json_text.h"
#include "output_format.h"
#include "value_lines.h"

namespace tavlo::receiver {

namespace {

// Raised when a field changes meaning or goes away; new fields keep it.
constexpr std::string_view kVersion = "1";

// A record holds a valid time when its seconds are not negative and its
// milliseconds are 0 to 999.
void write_time(ts::ReportWriter &out, const TimeRecord &time) {
    out.text("{\"iso\":");
    if (time.seconds >= 0 && time.milliseconds >= 0 && time.milliseconds <= 999) {
        json::write_utc_time(out, time.seconds, time.milliseconds);
    } else {
        out.text("null");
    }
    out.text(",\"seconds\":");
    out.integer(time.seconds);
    out.text(",\"milliseconds\":");
    out.integer(time.milliseconds);
    out.text("}");
}

// ,"NAME":"TEXT","NAME_code":CODE, the name null when `name` is empty.
void write_type(ts::ReportWriter &out, std::string_view key, std::string_view name, int32_t code) {
    out.text(",\"");
    out.text(key);
    out.text("\":");
    if (name.empty()) {
        out.text("null");
    } else {
        out.text("\"");
        out.text(name);
        out.text("\"");
    }
    out.text(",\"");
    out.text(key);
    out.text("_code\":");
    out.integer(code);
}

// ,"value":... of one tag, read as the text report reads it.
void write_value(ts::ReportWriter &out, const TypeDescriptor &descriptor,
                 const unsigned char *value) {
    const int32_t size = descriptor.size;
    if (descriptor.data_type == TAVLO_TYPE_ASCII) {
        out.text(",");
        json::write_text_member(out, "value", ts::ascii_value(value, size));
        return;
    }
    out.text(",\"value\":");
    switch (descriptor.data_type) {
        case TAVLO_TYPE_REAL: json::write_number(out, ts::copy_value<float>(value, size)); break;
        case TAVLO_TYPE_SHORT: out.integer(ts::copy_value<int16_t>(value, size)); break;
        case TAVLO_TYPE_LONG: out.integer(ts::copy_value<int32_t>(value, size)); break;
        case TAVLO_TYPE_DOUBLE: json::write_number(out, ts::copy_value<double>(value, size)); break;
        case TAVLO_TYPE_TIME: write_time(out, ts::copy_value<TimeRecord>(value, size)); break;
        default: out.text("null");  // a structure, or a data type nobody knows
    }
}

void write_status(ts::ReportWriter &out, const TagStatus &status) {
    out.text(",\"status\":");
    out.integer(status.status);
    out.text(",\"status_text\":");
    // The text without the quotes the text report puts around most of them.
    std::string_view text = ts::status_text(status.status);
    if (text.empty()) {
        out.text("null");
    } else {
        if (text.front() == '\'') text.remove_prefix(1);
        if (!text.empty() && text.back() == '\'') text.remove_suffix(1);
        json::write_string(out, text);
    }
    out.text(",\"facility\":");
    out.integer(status.facility);
    out.text(",\"driver_status\":");
    out.integer(status.driver_status);
}

void write_header(ts::ReportWriter &out, const ReceivedMessage &message) {
    const auto since_epoch =
        std::chrono::duration_cast<std::chrono::milliseconds>(message.received.time_since_epoch())
            .count();
    out.text("{\"version\":");
    out.text(kVersion);
    out.text(",\"received\":");
    json::write_utc_time(out, since_epoch / 1000, static_cast<int32_t>(since_epoch % 1000));
    out.text(",\"kind\":");
    if (message.kind.name.empty()) {
        out.integer(message.slots.kind);
    } else {
        out.text("\"");
        out.text(message.kind.name);
        out.text("\"");
    }
    out.text(",");
    if (message.slots.device != nullptr) {
        json::write_text_member(out, "device", message.slots.device);
    } else {
        out.text("\"device\":null");
    }
    out.text(",\"unit\":");
    out.integer(message.slots.unit);
    out.text(",\"list_id\":");
    out.integer(message.slots.list_id);
    out.text(",\"sequence\":");
    out.integer(message.slots.sequence);
}

class JsonFormat final : public OutputFormat {
public:
    std::FILE *notes() const override { return stderr; }

    std::optional<int32_t> show(const ReceivedMessage &message,
                                const TagSelection &selection) override {
        ts::ReportWriter out(stdout);
        write_header(out, message);
        out.text(",\"tags\":[");
        const ts::TagArrays tags = message.tags();
        const unsigned char *value = tags.values;
        int32_t shown = 0;
        for (int32_t k = 0; k < tags.count; ++k) {
            const TypeDescriptor *descriptor =
                tags.descriptors != nullptr ? &tags.descriptors[k + 1] : nullptr;
            if (selection.includes(k)) {
                out.text(shown++ == 0 ? "{\"place\":" : ",{\"place\":");
                out.integer(k + 1);
                out.text(",");
                json::write_text_member(out, "name", unpadded(message.name(k)));
                if (descriptor != nullptr) {
                    write_type(out, "data_type", ts::data_type_name(descriptor->data_type),
                               descriptor->data_type);
                    write_type(out, "device_data_type",
                               ts::device_data_type_name(descriptor->device_data_type),
                               descriptor->device_data_type);
                    if (value != nullptr) write_value(out, *descriptor, value);
                }
                if (tags.timestamps != nullptr) {
                    out.text(",\"timestamp\":");
                    write_time(out, tags.timestamps[k]);
                }
                if (tags.statuses != nullptr) write_status(out, tags.statuses[k]);
                out.text("}");
            }
            if (value != nullptr && descriptor != nullptr)
                value += ts::value_step(descriptor->size);
        }
        out.text("]}\n");
        return shown;
    }

    void connect_failed(const char *device) override {
        std::fprintf(stderr, "Error connecting to %s\n", device);
    }
};

}  // namespace

std::unique_ptr<OutputFormat> make_json_format() {
    return std::make_unique<JsonFormat>();
}

}  // namespace tavlo::receiver
