// The receiver: start-up, the connect-and-read loop and the shutdown.
#include "receiver.h"

#include <cstdio>
#include <cstring>

#include "block_listings.h"
#include "message_report.h"
#include "record_sizes.h"
#include "recording.h"
#include "report_output.h"
#include "stop_control.h"
#include "tavlo_testsupport.h"

namespace tavlo::receiver {

namespace {

// A device name or application id: at most 31 characters and a NUL.
constexpr auto kFieldSize = static_cast<std::size_t>(records::kNameField);
// First argument of every read.
constexpr int32_t kReadArgument = 50;
// A first tag name at most this long makes the names the compact layout.
constexpr std::size_t kLongestCompactName = 40;
// The client library's code of a read that found no message within its
// wait: the one failed read that is no news.
constexpr int32_t kLibraryFacility = 20;
constexpr int32_t kNoMessage = 20005;

// Copies at most 32 characters, fills the rest with NUL, then makes the
// last byte NUL.
void copy_field(char (&field)[kFieldSize], const char *text) {
    const std::size_t length = strnlen(text, kFieldSize);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, kFieldSize - length);
    field[kFieldSize - 1] = '\0';
}

bool is_no_message(const StatusBlock &block) {
    return block.facility[0] == kLibraryFacility && block.error[0] == kNoMessage;
}

bool first_name_is_compact(const char *names) {
    return names == nullptr || strnlen(names, kLongestCompactName + 1) <= kLongestCompactName;
}

struct Fields {
    char device[kFieldSize] = {};
    char app_id[kFieldSize] = "TAVLOUNSOL";
};

// The endless loop, which ends only when a stop is asked for.
int receive_messages(const Options &options, Fields &fields, StatusBlock &main_block,
                     StatusBlock &log_block) {
    ReadSlots slots;
    int64_t reports = 0;
    while (!stop_requested()) {
        tag_name_stride = records::kFullNameStride;
        TAVLO_CLIENT_CONNECT(fields.device, &main_block);
        // A connect that a stop cut short is no failure to report.
        if (stop_requested()) break;
        if (failed(main_block)) {
            print_connect_error(fields.device);
            if (!flush_report_output()) break;
            TAVLO_CLIENT_LOGBLK(fields.app_id, &main_block, &log_block);
        }
        TAVLO_CLIENT_READ(kReadArgument, &slots.kind, &slots.device, &slots.unit, &slots.list_id,
                          &slots.count, &slots.slot7, &slots.names, &slots.slot9,
                          &slots.descriptors, &slots.values, &slots.statuses, &slots.timestamps,
                          &slots.slot14, &slots.slot15, &main_block);
        if (failed(main_block)) {
            if (stop_requested()) break;
            if (!is_no_message(main_block)) {
                TAVLO_CLIENT_LOGBLK(fields.app_id, &main_block, &log_block);
            }
            continue;
        }
        if (first_name_is_compact(slots.names)) tag_name_stride = records::kCompactNameStride;
        if (!record_message(slots, tag_name_stride)) break;
        if (!report_message(slots)) continue;
        if (!flush_report_output()) break;
        if (options.count && ++reports >= *options.count) break;
    }
    const bool count_missed = options.count && reports < *options.count;
    return stop_reason() == StopReason::kTimeout && count_missed ? kExitCountNotReached
                                                                 : kExitStopped;
}

void shut_down() {
    StatusBlock exit_block;
    TAVLO_SERVER_INITBLK(&exit_block);
    std::printf("\nClosing Tavlo Connections.\n\n");
    flush_report_output();
    TAVLO_CLIENT_EXIT(&exit_block);
    if (failed(exit_block)) print_exit_error_listing(exit_block);
}

}  // namespace

int run_receiver(const Options &options) {
    Fields fields;
    StatusBlock log_block;
    StatusBlock main_block;
    int status = kExitStopped;
    if (options.device == nullptr) {
        std::printf("\n Usage: tavlo_t_receiver device_name [app_id]\n\n");
        status = kExitUsage;
    } else {
        copy_field(fields.device, options.device);
        if (options.app_id != nullptr) copy_field(fields.app_id, options.app_id);
        TAVLO_CLIENT_INITBLK(&log_block);
        TAVLO_CLIENT_INITBLK(&main_block);
        TAVLO_CLIENT_INIT(fields.app_id, &main_block);
        if (failed(main_block)) {
            print_init_error_listing(main_block);
            status = kExitInitFailed;
        } else {
            status = receive_messages(options, fields, main_block, log_block);
        }
    }
    shut_down();
    return status;
}

}  // namespace tavlo::receiver
