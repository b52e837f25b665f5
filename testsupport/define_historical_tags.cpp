// define_historical_tags: the console dialogue that defines the tags of a
// historical read with their types, value counts and periods.
#include <cstdint>

#include "console_input.h"
#include "tag_dialogue.h"
#include "tavlo_testsupport.h"

using namespace tavlo::ts;

namespace {

// A time or date answer is read into a field of this size: HH-MM-SS and
// MM-DD-YY are 8 characters each, longer answers are cut to 8.
constexpr int32_t kTimeDateField = 9;

// The caller's records beside the names; null when not asked for.
struct HistoricalRecords {
    TypeDescriptor *descriptors;
    int32_t *value_counts;
    TimeRecord *start_times;
    TimeRecord *end_times;
};

// Prints the prompt and reads an answer until `accept` takes it; false when
// input ended.
template <typename Accept>
bool ask_until_accepted(const char *prompt, Accept accept) {
    for (;;) {
        char field[kTimeDateField] = {};
        prompt_line(prompt, field, kTimeDateField);
        if (console_input_ended()) return false;
        if (accept(field)) return true;
    }
}

// Asks for a time of day and a date and stores their sum, the instant of
// that local standard time. A date that puts the instant beyond a signed
// 32-bit seconds count is asked again, as a date that parse_date rejects.
bool ask_instant(const char *time_prompt, const char *date_prompt, TimeRecord &record) {
    int32_t seconds_into_day = 0;
    int64_t instant = 0;
    const bool answered =
        ask_until_accepted(
            time_prompt,
            [&](const char *text) { return parse_time_of_day(text, &seconds_into_day) == 0; }) &&
        ask_until_accepted(date_prompt, [&](const char *text) {
            int32_t midnight = 0;
            if (parse_date(text, &midnight) != 0) return false;
            instant = int64_t{midnight} + seconds_into_day;
            return instant <= INT32_MAX;
        });
    if (answered) record = TimeRecord{0, static_cast<int32_t>(instant)};
    return answered;
}

bool ask_value_count(int32_t &value_count) {
    int32_t answer = 0;
    prompt_long("\nPlease enter number of historical values: ", &answer);
    if (console_input_ended()) return false;
    value_count = answer;
    return true;
}

// Asks every question about tag `slot` + 1; false when input ended.
bool define_tag(TagNameEntry &names, int32_t slot, const HistoricalRecords &records) {
    if (!names.ask(slot)) return false;
    if (records.descriptors == nullptr) return true;
    const char *name = names.name();
    TypeDescriptor &entry = records.descriptors[slot + 1];
    if (!ask_data_type("type", name, entry)) return false;
    if (!ask_device_data_type(name, entry)) return false;
    if (records.value_counts != nullptr && !ask_value_count(records.value_counts[slot])) {
        return false;
    }
    if (records.start_times != nullptr &&
        !ask_instant("\nPlease enter start time as HH-MM-SS : ",
                     "\nPlease enter start date as MM-DD-YY : ", records.start_times[slot])) {
        return false;
    }
    return records.end_times == nullptr ||
           ask_instant("\nPlease enter end time as HH-MM-SS : ",
                       "\nPlease enter end date as MM-DD-YY : ", records.end_times[slot]);
}

}  // namespace

extern "C" void define_historical_tags(char *names, TypeDescriptor *descriptors,
                                       int32_t *value_counts, TimeRecord *start_times,
                                       TimeRecord *end_times, int32_t count) {
    const HistoricalRecords records{descriptors, value_counts, start_times, end_times};
    hold_tag_dialogue(names, descriptors, count, [&](TagNameEntry &name_entry, int32_t slot) {
        return define_tag(name_entry, slot, records);
    });
}
