// The simulated plant: a deterministic stream of messages from one device.
#include "plant.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavlo::sim {

namespace {

using records::TagValue;

template <typename T>
void set_value(TagValue &tag, T value) {
    tag.value.resize(sizeof value);
    std::memcpy(tag.value.data(), &value, sizeof value);
}

void set_text(TagValue &tag, const char *text, std::size_t size) {
    tag.value.assign(size, 0);
    std::memcpy(tag.value.data(), text, std::min(std::strlen(text), size));
}

// The value of one tag in message i at plant time `now_ms`.
using FillValue = void (*)(TagValue &tag, int32_t i, int64_t now_ms);

struct TagSpec {
    const char *name;
    int16_t data_type;
    int16_t device_data_type;
    FillValue fill;
};

int32_t seconds_of(int64_t ms) {
    return static_cast<int32_t>(ms / 1000);
}

const TagSpec kMessageNumber = {"SIM.MESSAGE_NUMBER", TAVLO_TYPE_LONG, TAVLO_TYPE_LONG,
                                [](TagValue &t, int32_t i, int64_t) { set_value<int32_t>(t, i); }};

const TagSpec kBoilerTags[] = {
    kMessageNumber,
    {"BOILER.TEMPERATURE", TAVLO_TYPE_REAL, TAVLO_TYPE_REAL,
     [](TagValue &t, int32_t i, int64_t) { set_value<float>(t, 60.0f + float(i % 40) * 0.5f); }},
    {"BOILER.PRESSURE", TAVLO_TYPE_DOUBLE, TAVLO_TYPE_ENGINEERING_UNIT,
     [](TagValue &t, int32_t i, int64_t) { set_value<double>(t, 2.0 + (i % 25) * 0.125); }},
    {"BOILER.BURNER_STAGE", TAVLO_TYPE_SHORT, TAVLO_TYPE_ENUMERATION,
     [](TagValue &t, int32_t i, int64_t) { set_value<int16_t>(t, int16_t(i % 5 - 1)); }},
    {"BOILER.RUN_HOURS", TAVLO_TYPE_LONG, TAVLO_TYPE_ORDINAL,
     [](TagValue &t, int32_t i, int64_t) { set_value<int32_t>(t, 100000 + i / 10); }},
    {"BOILER.MODE", TAVLO_TYPE_ASCII, TAVLO_TYPE_DESCRIPTION,
     [](TagValue &t, int32_t i, int64_t) {
         static const char *const kModes[] = {"STARTING", "HEATING", "HEATING", "STANDBY", "PURGE"};
         set_text(t, kModes[(i / 3) % 5], 8);
     }},
    {"BOILER.LAST_IGNITION", TAVLO_TYPE_TIME, TAVLO_TYPE_DELTA_TIME,
     [](TagValue &t, int32_t i, int64_t now_ms) {
         set_value<TimeRecord>(t, TimeRecord{(i * 37) % 1000, seconds_of(now_ms) - 3600});
     }},
};
const TagSpec kCoolingTags[] = {
    kMessageNumber,
    {"PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT", TAVLO_TYPE_REAL, TAVLO_TYPE_ENGINEERING_UNIT,
     [](TagValue &t, int32_t i, int64_t) { set_value<float>(t, 40.0f + float(i % 20) * 2.5f); }},
    {"COOLING.PUMP_STATUS", TAVLO_TYPE_SHORT, TAVLO_TYPE_CONTROL_BLOCK_STATUS,
     [](TagValue &t, int32_t i, int64_t) { set_value<int16_t>(t, int16_t(i % 3)); }},
    {"COOLING.SUPPLY_TEMPERATURE", TAVLO_TYPE_DOUBLE, TAVLO_TYPE_REAL,
     [](TagValue &t, int32_t i, int64_t) { set_value<double>(t, 18.25 + (i % 16) * 0.0625); }},
    {"COOLING.VALVE_ID", TAVLO_TYPE_ASCII, TAVLO_TYPE_EXTERNAL_IDENTIFIER,
     [](TagValue &t, int32_t i, int64_t) {
         char text[16];
         if (i % 4 == 0) {
             std::snprintf(text, sizeof text, "CTRL-VALVE-7");
         } else {
             std::snprintf(text, sizeof text, "VLV-%04d-A", i % 10000);
         }
         set_text(t, text, 12);
     }},
    {"COOLING.LOOP_CONTROL", TAVLO_TYPE_LONG, TAVLO_TYPE_CONTROL_BLOCK_ANTI_WINDUP,
     [](TagValue &t, int32_t i, int64_t) { set_value<int32_t>(t, (i * 7) % 2001 - 1000); }},
    {"COOLING.LAST_FLUSH", TAVLO_TYPE_TIME, TAVLO_TYPE_TIME,
     [](TagValue &t, int32_t i, int64_t now_ms) {
         set_value<TimeRecord>(t, TimeRecord{0, seconds_of(now_ms) - i % 86400});
     }},
};
const TagSpec kMixerSpeed = {
    "MIXER.SPEED", TAVLO_TYPE_REAL, TAVLO_TYPE_REAL,
    [](TagValue &t, int32_t i, int64_t) { set_value<float>(t, 1450.0f + float(i % 8) * 12.5f); }};
const TagSpec kMixerGetTags[] = {
    kMessageNumber,
    kMixerSpeed,
    {"MIXER.TORQUE", TAVLO_TYPE_DOUBLE, TAVLO_TYPE_ENGINEERING_UNIT,
     [](TagValue &t, int32_t i, int64_t) { set_value<double>(t, 310.5 + i % 9); }},
};
const TagSpec kMixerPutTags[] = {
    kMessageNumber,
    {"MIXER.SPEED_SETPOINT", TAVLO_TYPE_REAL, TAVLO_TYPE_REAL,
     [](TagValue &t, int32_t, int64_t) { set_value<float>(t, 1500.0f); }},
};
const TagSpec kDosingTags[] = {
    {"DOSING.FLOW", TAVLO_TYPE_REAL, TAVLO_TYPE_REAL,
     [](TagValue &t, int32_t, int64_t) { set_value<float>(t, 0.75f); }},
    {"DOSING.TOTAL", TAVLO_TYPE_DOUBLE, TAVLO_TYPE_DOUBLE,
     [](TagValue &t, int32_t, int64_t) { set_value<double>(t, 1234.5); }},
    {"DOSING.RECIPE", TAVLO_TYPE_ASCII, TAVLO_TYPE_ASCII,
     [](TagValue &t, int32_t, int64_t) { set_text(t, "R-17", 6); }},
};

struct Step {
    MessageKind kind;
    int32_t list_id;
    const TagSpec *tags;
    std::size_t count;
};

template <std::size_t N>
constexpr Step step(MessageKind kind, int32_t list_id, const TagSpec (&tags)[N]) {
    return Step{kind, list_id, tags, N};
}

const Step kOpening[] = {
    step(TAVLO_MSG_DECLARE_REPLY, kBoilerList, kBoilerTags),
    step(TAVLO_MSG_DECLARE_REPLY, kCoolingList, kCoolingTags),
};
const Step kCycle[] = {
    step(TAVLO_MSG_UNSOLICITED, kBoilerList, kBoilerTags),
    step(TAVLO_MSG_UNSOLICITED, kCoolingList, kCoolingTags),
    step(TAVLO_MSG_UNSOLICITED, kBoilerList, kBoilerTags),
    step(TAVLO_MSG_GET_REPLY, kMixerList, kMixerGetTags),
    step(TAVLO_MSG_UNSOLICITED, kCoolingList, kCoolingTags),
    step(TAVLO_MSG_PUT_REPLY, kMixerList, kMixerPutTags),
    step(TAVLO_MSG_UNSOLICITED, kBoilerList, kBoilerTags),
    step(kPlantOtherKind, kMixerList, kMixerPutTags),
    step(TAVLO_MSG_UNSOLICITED, kCoolingList, kCoolingTags),
    step(TAVLO_MSG_DECLARE_REPLY, kDosingList, kDosingTags),
    step(TAVLO_MSG_CANCEL_REPLY, kDosingList, kDosingTags),
    step(TAVLO_MSG_UNSOLICITED, kBoilerList, kBoilerTags),
};
constexpr int64_t kOpeningLength = sizeof kOpening / sizeof kOpening[0];
constexpr int64_t kCycleLength = sizeof kCycle / sizeof kCycle[0];

const Step &step_of(int64_t n) {
    return n < kOpeningLength ? kOpening[n] : kCycle[(n - kOpeningLength) % kCycleLength];
}

// A well-mixed hash of (message, tag), for statuses that vary "at random"
// but identically on every run.
uint64_t mix(uint64_t x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Mostly GOOD; now and then SUSPECT, BAD, another code of the status table,
// or a code that has no text.
TagStatus status_of(int64_t n, std::size_t k) {
    static const int32_t kOtherCodes[] = {-4, -5, -9, -12, -40, -49, -66, -32768};
    static const int32_t kUnknownCodes[] = {-7, 1, -99};
    const uint64_t h = mix(static_cast<uint64_t>(n) * 64 + k);
    const uint64_t pick = h >> 32;
    const int32_t roll = static_cast<int32_t>(h % 100);
    if (roll < 80) return TagStatus{-1, 0, 0};
    const auto driver = static_cast<int32_t>(pick % 50);
    if (roll < 86) return TagStatus{-3, 5, driver};
    if (roll < 90) return TagStatus{-6, 5, driver};
    if (roll < 96) return TagStatus{kOtherCodes[pick % 8], 5, driver};
    return TagStatus{kUnknownCodes[pick % 3], 5, driver};
}

TimeRecord time_of(int64_t ms) {
    return TimeRecord{static_cast<int32_t>(ms % 1000), static_cast<int32_t>(ms / 1000)};
}

}  // namespace

Plant::Plant(int64_t start_ms, int32_t step_ms, int64_t first_message)
    : start_ms_(start_ms), step_ms_(step_ms), sent_(first_message) {}

void Plant::next(records::Message &message) {
    const int64_t n = sent_++;
    const Step &s = step_of(n);
    const int64_t now_ms = start_ms_ + n * step_ms_;
    message.kind = s.kind;
    message.device = kPlantDevice;
    message.unit = kPlantUnit;
    message.list_id = s.list_id;
    message.sequence = static_cast<int32_t>((n + 1) % 2147483647);
    message.tags.resize(s.count);
    for (std::size_t k = 0; k < s.count; ++k) {
        const TagSpec &spec = s.tags[k];
        TagValue &tag = message.tags[k];
        tag.name = spec.name;
        tag.data_type = spec.data_type;
        tag.device_data_type = spec.device_data_type;
        spec.fill(tag, static_cast<int32_t>(n % 1000000000), now_ms);
        tag.status = status_of(n, k);
        tag.timestamp = time_of(now_ms);
    }
}

}  // namespace tavlo::sim
