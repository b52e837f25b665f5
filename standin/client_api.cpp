// Eight of the client library's nine functions, over the stand-in's
// transports; TAVLO_CLIENT_LOCALTIME is in local_time.cpp.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "clock.h"
#include "record_sizes.h"
#include "tavlo.h"
#include "transport.h"
#include "transport_table.h"

using namespace tavlo::standin;
using std::chrono::milliseconds;

namespace {

// A failed connect waits before it returns, so that a caller that connects
// on every pass of a loop does not spin: a second for a name no transport
// takes, or a connect refused before any attempt; for a device that cannot
// be reached, a pause that doubles from half a second to five with every
// failure and starts again after a success. A link that a read ended (lost,
// a frame that breaks the protocol, a refused version) makes the next
// connect wait the same way before it tries; one that ended before it
// delivered a message counts as a failed connect, so that a device that
// welcomes and then breaks the protocol at once is retried ever more slowly.
constexpr milliseconds kUnknownDevicePause{1000};
constexpr milliseconds kFirstBackoff{500};
constexpr milliseconds kLongestBackoff{5000};
// One unit of the read's first argument.
constexpr milliseconds kReadWaitUnit{10};
// Longest name the library takes: 31 characters and a NUL in the field.
constexpr auto kNameField = static_cast<std::size_t>(tavlo::records::kNameField);

struct ClientState {
    bool initialised = false;
    std::string app_id;
    std::string device;                    // the device of the current connection
    milliseconds backoff = kFirstBackoff;  // the pause of the next failure
    bool pause_before_connect = false;     // a read ended the last link
    // While the link has delivered no message: the back-off its loss goes
    // on with, as if its connect had failed.
    std::optional<milliseconds> unproven_link_backoff;
    std::unique_ptr<Transport> transport;
    tavlo::records::MessageRecords records;
};

// No entries: every facility 0, every error -1 (the end of the list).
void clear_block(StatusBlock &block) {
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block.facility[i] = 0;
        block.error[i] = -1;
    }
}

// One entry (facility, code), then the end of the list.
void fail_block(StatusBlock &block, int32_t facility, int32_t code) {
    clear_block(block);
    block.facility[0] = facility;
    block.error[0] = code;
}

// One line of text for a code of the library's facility, or nullptr.
const char *error_text(int32_t code) {
    switch (code) {
        case kNotInitialised: return "client side not initialised";
        case kBadArgument: return "missing or malformed argument";
        case kUnknownDevice: return "unknown device name";
        case kNotConnected: return "not connected to a device";
        case kNoMessage: return "no message within the wait";
        case kInterrupted: return "wait interrupted by a signal";
        case kOutOfMemory: return "out of memory";
        case kConnectFailed: return "cannot connect to the device";
        case kConnectionLost: return "connection to the device lost";
        case kBadFrame: return "malformed frame from the device";
        case kRefused: return "protocol version refused by the device";
        default: return nullptr;
    }
}

// Whether a log line written to `log_fd` starts with a line end: when
// `log_fd` and `report_fd` are the same terminal, the caller's text there
// may end without one, and the log line would run on from it. Into a file
// or a pipe, or to a terminal of its own, a log line is just its text.
bool log_starts_with_line_end(int log_fd, int report_fd) {
    if (isatty(log_fd) != 1 || isatty(report_fd) != 1) return false;
    struct stat log_status {};
    struct stat report_status {};
    return fstat(log_fd, &log_status) == 0 && fstat(report_fd, &report_status) == 0 &&
           log_status.st_rdev == report_status.st_rdev;
}

ClientState &state() {
    static ClientState client;
    return client;
}

// A name of 1 to 31 characters.
bool valid_name(const char *name) {
    return name != nullptr && name[0] != '\0' && strnlen(name, kNameField) < kNameField;
}

// Waits the back-off and doubles it. False when a signal cut the wait short.
bool back_off(ClientState &client) {
    const bool slept = tavlo::posix::clock_in_use().sleep_for(client.backoff);
    client.backoff = std::min(client.backoff * 2, kLongestBackoff);
    return slept;
}

// Connects to the device. Returns 0, or an error code after the pause that
// follows a failure.
int32_t open_transport(ClientState &client) {
    const TransportRow *row = transport_for(client.device);
    if (row == nullptr) {
        tavlo::posix::clock_in_use().sleep_for(kUnknownDevicePause);
        return kUnknownDevice;
    }
    if (std::exchange(client.pause_before_connect, false) && !back_off(client)) {
        return kInterrupted;
    }
    const int32_t error = row->open(client.device, client.app_id, client.transport);
    if (error == 0) {
        client.unproven_link_backoff = client.backoff;
        client.backoff = kFirstBackoff;
    } else if (error != kInterrupted) {
        back_off(client);
    }
    return error;
}

// After a read that ended the link.
void drop_link(ClientState &client) {
    client.transport.reset();
    client.pause_before_connect = true;
    if (client.unproven_link_backoff) client.backoff = *client.unproven_link_backoff;
}

template <typename T>
T *data_of(std::vector<T> &array) {
    static T empty{};  // a reader always gets an array, even of no entries
    return array.empty() ? &empty : array.data();
}

}  // namespace

extern "C" {

TAVLO_API void TAVLO_CLIENT_INITBLK(StatusBlock *block) {
    if (block != nullptr) clear_block(*block);
}

TAVLO_API void TAVLO_SERVER_INITBLK(StatusBlock *block) {
    if (block != nullptr) clear_block(*block);
}

TAVLO_API void TAVLO_CLIENT_LDBLK(int32_t facility, int32_t code, StatusBlock *block) {
    if (block != nullptr) fail_block(*block, facility, code);
}

TAVLO_API void TAVLO_CLIENT_INIT(const char *app_id, StatusBlock *block) {
    if (block == nullptr) return;
    ClientState &client = state();
    client.transport.reset();
    client.device.clear();
    client.backoff = kFirstBackoff;
    client.pause_before_connect = false;
    client.unproven_link_backoff.reset();
    client.initialised = valid_name(app_id);
    if (client.initialised) {
        client.app_id = app_id;
        clear_block(*block);
    } else {
        fail_block(*block, kFacility, kBadArgument);
    }
}

TAVLO_API void TAVLO_CLIENT_CONNECT(const char *device, StatusBlock *block) {
    if (block == nullptr) return;
    ClientState &client = state();
    int32_t error = 0;
    if (!client.initialised || !valid_name(device)) {
        error = client.initialised ? kBadArgument : kNotInitialised;
        tavlo::posix::clock_in_use().sleep_for(kUnknownDevicePause);
    } else if (client.transport != nullptr && client.device == device) {
        clear_block(*block);
        return;
    } else {
        client.transport.reset();
        client.device = device;
        try {
            error = open_transport(client);
        } catch (const std::bad_alloc &) {
            error = kOutOfMemory;
        }
    }
    if (error == 0) {
        clear_block(*block);
    } else {
        fail_block(*block, kFacility, error);
    }
}

TAVLO_API void TAVLO_CLIENT_LOGBLK(const char *app_id, const StatusBlock *block,
                                   StatusBlock *log_block) {
    if (block == nullptr) {
        if (log_block != nullptr) fail_block(*log_block, kFacility, kBadArgument);
        return;
    }
    const char *app = app_id != nullptr ? app_id : "";
    const bool line_end_first =
        block->error[0] != -1 && log_starts_with_line_end(STDERR_FILENO, STDOUT_FILENO);
    if (line_end_first) {
        std::fflush(stdout);  // the caller's text there comes first
        std::fputc('\n', stderr);
    }
    for (int i = 0; i < TAVLO_STATUS_ENTRIES && block->error[i] != -1; ++i) {
        const char *text = block->facility[i] == kFacility ? error_text(block->error[i]) : nullptr;
        std::fprintf(stderr, "TAVLO %.31s: facility=%d error=%d%s%s%s\n", app, block->facility[i],
                     block->error[i], text ? " (" : "", text ? text : "", text ? ")" : "");
    }
    if (log_block != nullptr) clear_block(*log_block);
}

TAVLO_API void TAVLO_CLIENT_READ(int32_t wait, MessageKind *kind, char **device, int32_t *unit,
                                 int32_t *list_id, int32_t *count, int32_t *sequence, char **names,
                                 void **reserved9, TypeDescriptor **descriptors, void **values,
                                 TagStatus **statuses, TimeRecord **timestamps, int32_t *reserved14,
                                 void **reserved15, StatusBlock *block) {
    if (block == nullptr) return;
    if (kind == nullptr || device == nullptr || unit == nullptr || list_id == nullptr ||
        count == nullptr || names == nullptr || descriptors == nullptr || values == nullptr ||
        statuses == nullptr || timestamps == nullptr) {
        fail_block(*block, kFacility, kBadArgument);
        return;
    }
    ClientState &client = state();
    if (!client.initialised) {
        fail_block(*block, kFacility, kNotInitialised);
        return;
    }
    if (client.transport == nullptr) {
        fail_block(*block, kFacility, kNotConnected);
        return;
    }
    tavlo::records::MessageRecords &records = client.records;
    int32_t error = 0;
    try {
        error = client.transport->read(wait * kReadWaitUnit, records);
    } catch (const std::bad_alloc &) {
        error = kOutOfMemory;
    }
    if (error != 0) {
        if (ends_connection(error)) drop_link(client);
        fail_block(*block, kFacility, error);
        return;
    }
    client.unproven_link_backoff.reset();
    *kind = records.kind;
    *device = records.device.data();
    *unit = records.unit;
    *list_id = records.list_id;
    *count = records.count;
    *names = data_of(records.names);
    *descriptors = data_of(records.descriptors);
    *values = data_of(records.values);
    *statuses = data_of(records.statuses);
    *timestamps = data_of(records.timestamps);
    if (sequence != nullptr) *sequence = records.sequence;
    if (reserved9 != nullptr) *reserved9 = nullptr;
    if (reserved14 != nullptr) *reserved14 = 0;
    if (reserved15 != nullptr) *reserved15 = nullptr;
    clear_block(*block);
}

TAVLO_API void TAVLO_CLIENT_EXIT(StatusBlock *block) {
    ClientState &client = state();
    client.transport.reset();
    client.device.clear();
    client.initialised = false;
    if (block != nullptr) clear_block(*block);
}

}  // extern "C"
