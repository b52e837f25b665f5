// Fuzz target: a script read message by message, as the simulator reads it,
// and the round trip of a recording: every message that reads, laid out,
// written as the receiver records it and read again, lays out to the same
// records as a caller sees them.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "message_records.h"
#include "script_reader.h"
#include "script_writer.h"
#include "unique_fd.h"

namespace {

using tavlo::records::MessageRecords;
using tavlo::script::ScriptReader;

// Larger values are read, but not written again: the round trip of a
// 16 MiB value would take the fuzzer's time for one input alone.
constexpr std::size_t kLargestRoundTrip = std::size_t{1} << 18;
constexpr int kMostMessages = 64;

// A file in memory holding `text`, read from its start.
tavlo::posix::UniqueFd file_of(std::string_view text) {
    tavlo::posix::UniqueFd file(memfd_create("script", MFD_CLOEXEC));
    if (!file || write(file.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        lseek(file.get(), 0, SEEK_SET) != 0) {
        __builtin_trap();
    }
    return file;
}

std::string_view name_at(const MessageRecords &r, int32_t k) {
    const char *entry = r.names.data() + static_cast<std::size_t>(k * r.name_stride);
    return {entry, strnlen(entry, static_cast<std::size_t>(r.name_stride))};
}

template <typename T>
bool same_bytes(const std::vector<T> &a, const std::vector<T> &b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

bool same(const MessageRecords &a, const MessageRecords &b) {
    if (a.kind != b.kind || a.device != b.device || a.unit != b.unit || a.list_id != b.list_id ||
        a.sequence != b.sequence || a.count != b.count || a.name_stride != b.name_stride ||
        !same_bytes(a.descriptors, b.descriptors) || !same_bytes(a.values, b.values) ||
        !same_bytes(a.statuses, b.statuses) || !same_bytes(a.timestamps, b.timestamps)) {
        return false;
    }
    for (int32_t k = 0; k < a.count; ++k) {
        if (name_at(a, k) != name_at(b, k)) return false;
    }
    return true;
}

void round_trip(const tavlo::script::ScriptMessage &message, MessageRecords &records) {
    tavlo::records::lay_out(message.message, records);
    if (records.values.size() > kLargestRoundTrip) return;
    const int64_t received = message.received.value_or(0);
    tavlo::script::TextBuffer text;
    tavlo::script::append_recording_start(text);
    tavlo::script::append_message(text, tavlo::records::view_of(records), received);
    const tavlo::posix::UniqueFd written = file_of(text.view());
    ScriptReader reader(written.get());
    tavlo::script::ScriptMessage again;
    tavlo::script::ScriptError error;
    MessageRecords records_again;
    if (reader.next(again, error) != ScriptReader::Status::kMessage) __builtin_trap();
    tavlo::records::lay_out(again.message, records_again);
    if (!same(records, records_again) || again.received != received) __builtin_trap();
    if (reader.next(again, error) != ScriptReader::Status::kEnd) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const tavlo::posix::UniqueFd text =
        file_of(std::string_view(reinterpret_cast<const char *>(data), size));
    ScriptReader reader(text.get());
    tavlo::script::ScriptMessage message;
    tavlo::script::ScriptError error;
    MessageRecords records;
    for (int n = 0; n < kMostMessages; ++n) {
        const ScriptReader::Status status = reader.next(message, error);
        if (status == ScriptReader::Status::kError && (error.line < 1 || error.reason.empty())) {
            __builtin_trap();
        }
        if (status != ScriptReader::Status::kMessage) break;
        round_trip(message, records);
    }
    return 0;
}
