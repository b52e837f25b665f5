// The JSON format: one JSON object a line on standard output for every
// message the filters leave, of every kind; the receiver's own lines go to
// standard error. The fields are described in docs/json-output.md.
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "json_message.h"
#include "json_text.h"
#include "output_format.h"
#include "report_lines.h"

namespace tavlo::receiver {

namespace {

// Raised when a field changes meaning or goes away; new fields keep it.
constexpr std::string_view kVersion = "1";

// The JSON text of a time record: {"iso":...,"seconds":...,"milliseconds":...},
// the ISO text null when the record holds no valid time (negative seconds,
// milliseconds outside 0 to 999). The text of the last record is kept: the
// tags of a message mostly share their timestamp.
class TimeTexts {
public:
    std::string_view text_of(const TimeRecord &time) {
        if (length_ == 0 || time.seconds != last_.seconds ||
            time.milliseconds != last_.milliseconds) {
            make(time);
        }
        return {text_, length_};
    }

private:
    void add(std::string_view part) {
        std::memcpy(text_ + length_, part.data(), part.size());
        length_ += part.size();
    }
    void add(int32_t number) {
        length_ = static_cast<std::size_t>(
            std::to_chars(text_ + length_, text_ + sizeof text_, number).ptr - text_);
    }
    void make(const TimeRecord &time) {
        last_ = time;
        length_ = 0;
        add("{\"iso\":");
        if (time.seconds >= 0 && time.milliseconds >= 0 && time.milliseconds <= 999) {
            char iso[json::kUtcTimeLength];
            json::format_utc_time(iso, time.seconds, time.milliseconds);
            add({iso, sizeof iso});
        } else {
            add("null");
        }
        add(",\"seconds\":");
        add(time.seconds);
        add(",\"milliseconds\":");
        add(time.milliseconds);
        add("}");
    }

    TimeRecord last_{};
    char text_[96];  // {"iso":"..."} takes 33, the numbers 50 at most
    std::size_t length_ = 0;
};

// Members that depend on one code only, made once for each code from `low`
// to `high`, and for other codes each time in a buffer that is kept.
class CodeMembers {
public:
    using Make = void (*)(std::string &text, int32_t code);

    CodeMembers(int32_t low, int32_t high, Make make) : low_(low), make_(make) {
        for (int32_t code = low; code <= high; ++code) make(made_.emplace_back(), code);
    }

    void write(ts::ReportWriter &out, int32_t code) {
        const int64_t index = int64_t{code} - low_;
        if (index >= 0 && index < static_cast<int64_t>(made_.size())) {
            out.text(made_[static_cast<std::size_t>(index)]);
        } else {
            other_.clear();
            make_(other_, code);
            out.text(other_);
        }
    }

private:
    int32_t low_;
    Make make_;
    std::vector<std::string> made_;
    std::string other_;
};

// "TEXT" in quotes, or null for no text.
void add_quoted_or_null(std::string &text, std::string_view value) {
    if (value.empty()) {
        text += "null";
    } else {
        text += '"';
        text += value;
        text += '"';
    }
}

// ,"KEY":"NAME","KEY_code":CODE, the name null for a code without one.
void add_type_members(std::string &text, std::string_view key, std::string_view name,
                      int32_t code) {
    text += ",\"";
    text += key;
    text += "\":";
    add_quoted_or_null(text, name);
    text += ",\"";
    text += key;
    text += "_code\":";
    text += std::to_string(code);
}

void add_data_type_members(std::string &text, int32_t code) {
    add_type_members(text, "data_type", ts::data_type_name(code), code);
}

void add_device_data_type_members(std::string &text, int32_t code) {
    add_type_members(text, "device_data_type", ts::device_data_type_name(code), code);
}

// ,"status":CODE,"status_text":"TEXT", the text without the quotes the
// text report puts around most of them (the table's texts need no escape).
void add_status_members(std::string &text, int32_t code) {
    text += ",\"status\":";
    text += std::to_string(code);
    text += ",\"status_text\":";
    add_quoted_or_null(text, ts::unquoted_status_text(code));
}

// ,"value":... of one tag, read as the text report reads it.
void write_value(ts::ReportWriter &out, const TypeDescriptor &descriptor,
                 const unsigned char *value, TimeTexts &times) {
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
        case TAVLO_TYPE_TIME:
            out.text(times.text_of(ts::copy_value<TimeRecord>(value, size)));
            break;
        default: out.text("null");  // a structure, or a data type nobody knows
    }
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
        out.integer(message.view.kind);
    } else {
        out.text("\"");
        out.text(message.kind.name);
        out.text("\"");
    }
    out.text(",");
    if (message.view.device != nullptr) {
        json::write_text_member(out, "device", message.view.device);
    } else {
        out.text("\"device\":null");
    }
    out.text(",\"unit\":");
    out.integer(message.view.unit);
    out.text(",\"list_id\":");
    out.integer(message.view.list_id);
    out.text(",\"sequence\":");
    out.integer(message.view.sequence);
}

}  // namespace

// The texts made once and the buffers kept from message to message.
struct JsonMessage::Parts {
    // The status table's codes, and the codes of the types that have names.
    CodeMembers statuses{-72, 0, add_status_members};
    CodeMembers data_types{0, 7, add_data_type_members};
    CodeMembers device_data_types{0, 15, add_device_data_type_members};
    TimeTexts timestamps;
    TimeTexts time_values;
};

JsonMessage::JsonMessage() : parts_(std::make_unique<Parts>()) {}

JsonMessage::~JsonMessage() = default;

int32_t JsonMessage::write(ts::ReportWriter &out, const ReceivedMessage &message,
                           const TagSelection &selection, int64_t missing_before) {
    Parts &parts = *parts_;
    write_header(out, message);
    if (missing_before > 0) {
        out.text(",\"missing_before\":");
        out.integer(missing_before);
    }
    out.text(",\"tags\":[");
    const records::MessageView tags = message.tags();
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
                parts.data_types.write(out, descriptor->data_type);
                parts.device_data_types.write(out, descriptor->device_data_type);
                if (value != nullptr) write_value(out, *descriptor, value, parts.time_values);
            }
            if (tags.timestamps != nullptr) {
                out.text(",\"timestamp\":");
                out.text(parts.timestamps.text_of(tags.timestamps[k]));
            }
            if (tags.statuses != nullptr) {
                const TagStatus &status = tags.statuses[k];
                parts.statuses.write(out, status.status);
                out.text(",\"facility\":");
                out.integer(status.facility);
                out.text(",\"driver_status\":");
                out.integer(status.driver_status);
            }
            out.text("}");
        }
        if (value != nullptr && descriptor != nullptr) value += ts::value_step(descriptor->size);
    }
    out.text("]}");
    return shown;
}

namespace {

class JsonFormat final : public OutputFormat {
public:
    std::FILE *notes() const override { return stderr; }

    std::optional<int32_t> show(const ReceivedMessage &message,
                                const TagSelection &selection) override {
        ts::ReportWriter out(stdout);
        const int32_t shown = object_.write(out, message, selection, missing_before_);
        missing_before_ = 0;
        out.text("\n");
        return shown;
    }

    void gap_before(int64_t missing) override { missing_before_ += missing; }

    void connect_failed(const char *device, const StatusBlock &) override {
        std::fprintf(stderr, "Error connecting to %s\n", device);
    }

private:
    JsonMessage object_;
    // Numbers missing before the next message shown.
    int64_t missing_before_ = 0;
};

}  // namespace

std::unique_ptr<OutputFormat> make_json_format() {
    return std::make_unique<JsonFormat>();
}

}  // namespace tavlo::receiver
