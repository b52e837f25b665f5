// The messages of a script, built line by line from the tokens of each line.
#include "script_builder.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "message_codec.h"
#include "wire_format.h"

namespace tavlo::script {

namespace {

struct Keyword {
    const char *word;
    int32_t code;
};

const Keyword kKinds[] = {{"GET", TAVLO_MSG_GET_REPLY},
                          {"PUT", TAVLO_MSG_PUT_REPLY},
                          {"DECLARE", TAVLO_MSG_DECLARE_REPLY},
                          {"CANCEL", TAVLO_MSG_CANCEL_REPLY},
                          {"UNSOLICITED", TAVLO_MSG_UNSOLICITED}};
const Keyword kTypes[] = {{"REAL", 1},  {"SHORT", 2}, {"ASCII", 3},   {"LONG", 4},   {"DOUBLE", 5},
                          {"TIME", 6},  {"ENUM", 8},  {"ORDINAL", 9}, {"DTIME", 10}, {"EXTID", 11},
                          {"CBAW", 12}, {"CBST", 13}, {"EU", 14},     {"DESC", 15}};
constexpr int32_t kLastDataType = TAVLO_TYPE_TIME;
constexpr int32_t kLongestText = 65536;
// A tag name and a device name are shorter than their fields, which hold
// the NUL too: a full-layout name entry and the device-name field.
constexpr auto kTagNameField = static_cast<std::size_t>(records::kFullNameStride);
constexpr auto kDeviceNameField = static_cast<std::size_t>(records::kNameField);

std::optional<int64_t> whole_number(const std::string &text, int64_t low, int64_t high) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
    return value;
}

template <std::size_t N>
std::optional<int32_t> code_of(const std::string &token, const Keyword (&table)[N], int64_t low,
                               int64_t high) {
    for (const Keyword &k : table) {
        if (token == k.word) return k.code;
    }
    if (const auto number = whole_number(token, low, high)) return static_cast<int32_t>(*number);
    return std::nullopt;
}

// SECONDS or SECONDS.MMM.
std::optional<TimeRecord> time_of(const std::string &text) {
    const auto dot = text.find('.');
    const auto seconds = whole_number(text.substr(0, dot), std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max());
    if (!seconds) return std::nullopt;
    TimeRecord time{0, static_cast<int32_t>(*seconds)};
    if (dot == std::string::npos) return time;
    const std::string millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    time.milliseconds = static_cast<int32_t>(*ms);
    return time;
}

template <typename T>
void set_value(records::TagValue &tag, T value) {
    tag.value.resize(sizeof value);
    std::memcpy(tag.value.data(), &value, sizeof value);
}

// The value bytes of a tag from its text. Returns a reason on failure.
const char *value_of(records::TagValue &tag, const std::string &text, int32_t ascii_size) {
    errno = 0;
    char *end = nullptr;
    switch (tag.data_type) {
        case TAVLO_TYPE_REAL: {
            const float value = std::strtof(text.c_str(), &end);
            if (text.empty() || *end != '\0' || errno != 0) return "a REAL value must be a number";
            set_value(tag, value);
            return nullptr;
        }
        case TAVLO_TYPE_DOUBLE: {
            const double value = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || errno != 0) {
                return "a DOUBLE value must be a number";
            }
            set_value(tag, value);
            return nullptr;
        }
        case TAVLO_TYPE_SHORT: {
            const auto value = whole_number(text, -32768, 32767);
            if (!value) return "a SHORT value must be a whole number from -32768 to 32767";
            set_value(tag, static_cast<int16_t>(*value));
            return nullptr;
        }
        case TAVLO_TYPE_LONG: {
            const auto value = whole_number(text, std::numeric_limits<int32_t>::min(),
                                            std::numeric_limits<int32_t>::max());
            if (!value) return "a LONG value must be a 32-bit whole number";
            set_value(tag, static_cast<int32_t>(*value));
            return nullptr;
        }
        case TAVLO_TYPE_TIME: {
            const auto value = time_of(text);
            if (!value) return "a TIME value must be SECONDS or SECONDS.MMM";
            set_value(tag, *value);
            return nullptr;
        }
        default: {
            const std::size_t size = ascii_size > 0 ? static_cast<std::size_t>(ascii_size)
                                                    : std::max<std::size_t>(text.size(), 1);
            if (text.size() > size) return "the ASCII text is longer than its field";
            tag.value.assign(size, 0);
            std::memcpy(tag.value.data(), text.data(), text.size());
            return nullptr;
        }
    }
}

// Reads the data type token: a type keyword or number 1 to 6, or ASCII:N.
const char *data_type_of(const std::string &token, records::TagValue &tag, int32_t &ascii_size) {
    ascii_size = 0;
    std::string type = token;
    if (token.rfind("ASCII:", 0) == 0) {
        const auto size = whole_number(token.substr(6), 1, kLongestText);
        if (!size) return "ASCII:N needs a size from 1 to 65536";
        ascii_size = static_cast<int32_t>(*size);
        type = "ASCII";
    }
    const auto code = code_of(type, kTypes, 1, kLastDataType);
    if (!code || *code > kLastDataType) return "unknown data type";
    tag.data_type = static_cast<int16_t>(*code);
    return nullptr;
}

const char *tag_of(const std::vector<std::string> &t, records::TagValue &tag) {
    if (t.size() != 9) {
        return "a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS "
               "TIMESTAMP";
    }
    if (t[1].empty() || t[1].size() >= kTagNameField) return "a tag name has 1 to 255 characters";
    tag.name = t[1];
    int32_t ascii_size = 0;
    if (const char *reason = data_type_of(t[2], tag, ascii_size)) return reason;
    const auto device_type = code_of(t[3], kTypes, -32768, 32767);
    if (!device_type) return "unknown device data type";
    tag.device_data_type = static_cast<int16_t>(*device_type);
    if (const char *reason = value_of(tag, t[4], ascii_size)) return reason;
    const int64_t low = std::numeric_limits<int32_t>::min();
    const int64_t high = std::numeric_limits<int32_t>::max();
    const auto status = whole_number(t[5], low, high);
    const auto facility = whole_number(t[6], low, high);
    const auto driver = whole_number(t[7], low, high);
    if (!status || !facility || !driver) {
        return "STATUS, FACILITY and DRIVER_STATUS must be 32-bit whole numbers";
    }
    tag.status = TagStatus{static_cast<int32_t>(*status), static_cast<int32_t>(*facility),
                           static_cast<int32_t>(*driver)};
    const auto timestamp = time_of(t[8]);
    if (!timestamp) return "a TIMESTAMP must be SECONDS or SECONDS.MMM";
    tag.timestamp = *timestamp;
    return nullptr;
}

const char *message_of(const std::vector<std::string> &t, records::Message &message) {
    if (t.size() != 5) return "a message line is: message KIND DEVICE UNIT LIST_ID";
    const auto kind = code_of(t[1], kKinds, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
    if (!kind) return "unknown message kind";
    if (t[2].empty() || t[2].size() >= kDeviceNameField)
        return "a device name has 1 to 31 characters";
    const auto unit = whole_number(t[3], std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max());
    const auto list_id = whole_number(t[4], std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max());
    if (!unit || !list_id) return "UNIT and LIST_ID must be 32-bit whole numbers";
    message.kind = *kind;
    message.device = t[2];
    message.unit = static_cast<int32_t>(*unit);
    message.list_id = static_cast<int32_t>(*list_id);
    return nullptr;
}

}  // namespace

bool ScriptBuilder::still_fits(const records::TagValue &tag) {
    value_bytes_ += tag.value.size();
    name_stride_ = std::max(name_stride_, records::name_stride_for(tag.name));
    const uint64_t payload = wire::message_payload_length(
        messages_.back().tags.size(), static_cast<uint64_t>(name_stride_), value_bytes_);
    return 1 + payload <= wire::kLongestFrame;
}

bool ScriptBuilder::take(const std::vector<std::string> &tokens, int number, ScriptError &error) {
    const char *reason = nullptr;
    if (tokens[0] == "message") {
        messages_.emplace_back();
        messages_.back().sequence = static_cast<int32_t>(messages_.size());
        message_line_ = number;
        value_bytes_ = 0;
        name_stride_ = records::kCompactNameStride;
        reason = message_of(tokens, messages_.back());
    } else if (tokens[0] == "tag") {
        if (messages_.empty()) {
            reason = "a tag line before the first message line";
        } else if (messages_.back().tags.size() >= static_cast<std::size_t>(wire::kMostTags)) {
            reason = "a message holds at most 65536 tags";
        } else {
            auto &tags = messages_.back().tags;
            tags.emplace_back();
            reason = tag_of(tokens, tags.back());
            if (reason == nullptr && !still_fits(tags.back())) {
                error = ScriptError{message_line_, "the message does not fit in a frame of 16 MiB"};
                return false;
            }
        }
    } else {
        reason = "a line starts with message, tag or #";
    }
    if (reason != nullptr) error = ScriptError{number, reason};
    return reason == nullptr;
}

}  // namespace tavlo::script
