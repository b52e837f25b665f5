// Historical value report: per tag its period and its values, each with
// its timestamp and status.
#include <algorithm>
#include <cstdio>

#include "report_lines.h"
#include "tavlo_testsupport.h"

using namespace tavlo::ts;

namespace {

// The status code of a value that is not shown.
constexpr int32_t kBadStatus = -6;

// Bytes from a name to the next: past its NUL, or the stride when that is
// nearer. Without a positive stride, past the NUL.
int32_t name_step(int length, int32_t stride) {
    const int32_t past_nul = length + 1;
    return stride > 0 && past_nul >= stride ? stride : past_nul;
}

void write_historical_values(ReportWriter &out, const char *names,
                             const TypeDescriptor *descriptors, const unsigned char *value,
                             const TagStatus *statuses, const TimeRecord *timestamps,
                             const uint32_t *value_counts, const TimeRecord *start_times,
                             const TimeRecord *end_times, int32_t count,
                             const uint32_t *value_limits) {
    const char *name = names;
    out.text("\n");
    for (int32_t k = 0; k < count; ++k) {
        const int length = name_length(name, tag_name_stride);
        const int32_t step = name_step(length, tag_name_stride);
        out.text("\nTagname: ");
        if (name != nullptr) out.text({name, static_cast<std::size_t>(length)});
        int32_t data_type = -1;
        int32_t size = 0;
        if (descriptors != nullptr) {
            data_type = descriptors[k + 1].data_type;
            size = descriptors[k + 1].size;
            write_type_line(out, data_type);
        }
        if (name != nullptr) name += step;
        out.text("\n");
        const uint32_t shown = std::min(value_counts[k], value_limits[k]);
        out.text("\nNumber of historical values = ");
        out.integer(static_cast<int>(shown));
        write_time_line(out, "\n\nStart time of historical data = ",
                        "\nInvalid start time for historical data", start_times[k]);
        write_time_line(out, "\nEnd time of historical data = ",
                        "\nInvalid end time for historical data", end_times[k]);
        out.text("\n\nHistorical values\n-----------------");
        for (uint32_t j = 0; j < shown; ++j) {
            if (statuses[j].status == kBadStatus) {
                out.text("\nValue is not displayed due to bad status, status code=");
                out.integer(statuses[j].status);
            } else if (!write_value(out, data_type, size, value)) {
                return;
            }
            value += value_step(size);
            write_time_line(out, "\nTimestamp: ", "\nInvalid timestamp", timestamps[j]);
            write_tag_status(out, statuses[j]);
            out.text("\n");
        }
        statuses += value_counts[k];
        timestamps += value_counts[k];
    }
}

}  // namespace

extern "C" void print_historical_values(const char *names, const TypeDescriptor *descriptors,
                                        const void *values, const TagStatus *statuses,
                                        const TimeRecord *timestamps, const uint32_t *value_counts,
                                        const TimeRecord *start_times, const TimeRecord *end_times,
                                        int32_t count, const uint32_t *value_limits) {
    ReportWriter out(stdout);
    write_historical_values(out, names, descriptors, static_cast<const unsigned char *>(values),
                            statuses, timestamps, value_counts, start_times, end_times, count,
                            value_limits);
}
