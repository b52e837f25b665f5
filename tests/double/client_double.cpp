// The client-library double: the nine functions, answering as the script in
// TAVLO_DOUBLE_SCRIPT says and writing every call to TAVLO_DOUBLE_LOG.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "double_script.h"
#include "tavlo.h"

using namespace tavlo::test_double;

namespace {

struct Double {
    Script script;
    std::FILE *log = nullptr;
    std::map<const StatusBlock *, int> block_numbers;
    // What the last read handed out, to check that it comes back.
    std::vector<void *> returned;
    tavlo::records::MessageRecords records;  // of the last message read
};

Double &the_double() {
    static Double d = [] {
        Double fresh;
        const char *script = std::getenv("TAVLO_DOUBLE_SCRIPT");
        if (script != nullptr) fresh.script = load_script(script);
        const char *log = std::getenv("TAVLO_DOUBLE_LOG");
        fresh.log = std::fopen(log != nullptr ? log : "/dev/null", "w");
        return fresh;
    }();
    return d;
}

void log_line(const char *format, ...) __attribute__((format(printf, 1, 2)));
void log_line(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(the_double().log, format, args);
    va_end(args);
    std::fputc('\n', the_double().log);
    std::fflush(the_double().log);
}

// "#n": blocks are numbered in the order the initialisers first see them.
std::string block_name(const StatusBlock *block, bool initialiser = false) {
    auto &numbers = the_double().block_numbers;
    auto found = numbers.find(block);
    if (found == numbers.end()) {
        if (!initialiser) return "#?";
        found = numbers.emplace(block, static_cast<int>(numbers.size()) + 1).first;
    }
    return "#" + std::to_string(found->second);
}

void clear(StatusBlock *block) {
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block->facility[i] = 0;
        block->error[i] = -1;
    }
}

void apply(const Outcome &outcome, StatusBlock *block) {
    clear(block);
    if (outcome.ok) return;
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        const bool given = static_cast<std::size_t>(i) < outcome.entries.size();
        block->facility[i] = given ? outcome.entries[static_cast<std::size_t>(i)].facility : 9;
        block->error[i] = given ? outcome.entries[static_cast<std::size_t>(i)].error : 999;
    }
}

Outcome next_of(std::deque<Outcome> &queue) {
    if (queue.empty()) return Outcome{};
    Outcome outcome = queue.front();
    queue.pop_front();
    return outcome;
}

// Lays out the message as the stand-in does; every array has at least one
// entry, so that a reader always gets an array, even of no entries.
void lay_out(Double &d, const tavlo::records::Message &message) {
    tavlo::records::MessageRecords &records = d.records;
    tavlo::records::lay_out(message, records);
    records.values.resize(std::max<std::size_t>(records.values.size(), 1));
    records.statuses.resize(std::max<std::size_t>(records.statuses.size(), 1));
    records.timestamps.resize(std::max<std::size_t>(records.timestamps.size(), 1));
}

// A call that waits, as a blocked call of the real library would: in waits
// of a fifth of a second (for a read each ending in "no message"), the
// first only, or all until a signal handler cuts one short. Signals are held
// back outside the waits, so that one that comes while the double says
// "tavlo double: CALL waiting" (once, on standard error) or between two
// waits is not missed. Returns whether a signal handler ran.
bool wait_was_interrupted(const std::string &call, bool until_signal) {
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    static std::string said;
    if (said.find(call) == std::string::npos) {
        std::fprintf(stderr, "tavlo double: %s waiting\n", call.c_str());
        std::fflush(stderr);
        said += call + " ";
    }
    bool interrupted = false;
    do {
        const timespec wait{0, 200000000};
        interrupted = ppoll(nullptr, 0, &wait, &previous) < 0 && errno == EINTR;
    } while (until_signal && !interrupted);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return interrupted;
}

}  // namespace

extern "C" {

TAVLO_API void TAVLO_CLIENT_INITBLK(StatusBlock *block) {
    log_line("INITBLK %s", block_name(block, true).c_str());
    clear(block);
}

TAVLO_API void TAVLO_SERVER_INITBLK(StatusBlock *block) {
    log_line("SERVER_INITBLK %s", block_name(block, true).c_str());
    clear(block);
}

TAVLO_API void TAVLO_CLIENT_INIT(const char *app_id, StatusBlock *block) {
    log_line("INIT app=[%s] block=%s", app_id, block_name(block).c_str());
    apply(next_of(the_double().script.inits), block);
}

TAVLO_API void TAVLO_CLIENT_CONNECT(const char *device, StatusBlock *block) {
    log_line("CONNECT device=[%s] block=%s", device, block_name(block).c_str());
    const Outcome outcome = next_of(the_double().script.connects);
    if (outcome.wait) wait_was_interrupted("connect", true);
    apply(outcome, block);
}

TAVLO_API void TAVLO_CLIENT_LOGBLK(const char *app_id, const StatusBlock *block,
                                   StatusBlock *log_block) {
    log_line("LOGBLK app=[%s] block=%s log=%s error=%d", app_id, block_name(block).c_str(),
             block_name(log_block).c_str(), block->error[0]);
    clear(log_block);
}

TAVLO_API void TAVLO_CLIENT_LDBLK(int32_t facility, int32_t code, StatusBlock *block) {
    log_line("LDBLK %d %d", facility, code);
    clear(block);
    block->facility[0] = facility;
    block->error[0] = code;
}

TAVLO_API struct tm *TAVLO_CLIENT_LOCALTIME(const TimeRecord *time) {
    static struct tm result;
    if (time->milliseconds < 0 || time->milliseconds > 999 || time->seconds < 0) return nullptr;
    const time_t seconds = time->seconds;
    return gmtime_r(&seconds, &result);
}

TAVLO_API void TAVLO_CLIENT_READ(int32_t wait, MessageKind *kind, char **device, int32_t *unit,
                                 int32_t *list_id, int32_t *count, int32_t *sequence, char **names,
                                 void **reserved9, TypeDescriptor **descriptors, void **values,
                                 TagStatus **statuses, TimeRecord **timestamps, int32_t *reserved14,
                                 void **reserved15, StatusBlock *block) {
    Double &d = the_double();
    const std::vector<void *> slots = {*names,    *reserved9,  *descriptors, *values,
                                       *statuses, *timestamps, *reserved15};
    const bool all_null = std::all_of(slots.begin(), slots.end(), [](void *p) { return !p; });
    log_line("READ %d slots=%s block=%s", wait,
             all_null              ? "null"
             : slots == d.returned ? "returned"
                                   : "other",
             block_name(block).c_str());
    if (d.script.reads.empty()) {
        log_line("SCRIPT EXHAUSTED");
        std::_Exit(97);
    }
    const ScriptedRead read = d.script.reads.front();
    if (read.kind == ScriptedRead::Kind::kWait) {
        const bool interrupted = wait_was_interrupted("read", false);
        if (interrupted) d.script.reads.pop_front();
        apply(Outcome{false, {{20, interrupted ? 20006 : 20005}}}, block);
        return;
    }
    d.script.reads.pop_front();
    if (read.kind == ScriptedRead::Kind::kFail) {
        apply(read.failure, block);
        return;
    }
    lay_out(d, read.message);
    tavlo::records::MessageRecords &records = d.records;
    *kind = records.kind;
    *device = records.device.data();
    *unit = records.unit;
    *list_id = records.list_id;
    *count = records.count;
    *sequence = records.sequence;
    *names = records.names.data();
    *reserved9 = &records.device;
    *descriptors = records.descriptors.data();
    *values = records.values.data();
    *statuses = records.statuses.data();
    *timestamps = records.timestamps.data();
    *reserved14 = 0;
    *reserved15 = &records.names;
    d.returned = {*names, *reserved9, *descriptors, *values, *statuses, *timestamps, *reserved15};
    clear(block);
}

TAVLO_API void TAVLO_CLIENT_EXIT(StatusBlock *block) {
    log_line("EXIT block=%s", block_name(block).c_str());
    apply(next_of(the_double().script.exits), block);
}

}  // extern "C"
