// The bound of the MQTT spool (--mqtt-queue-max).
#include "queue_bound.h"

#include <charconv>
#include <limits>

namespace tavlo::mqtt {

namespace {

constexpr uint64_t kMostMessages = std::numeric_limits<int32_t>::max();

struct SizeUnit {
    std::string_view name;
    uint64_t bytes;
};
// The largest first, which queue_bound_text() writes where it divides.
constexpr SizeUnit kUnits[] = {{"GiB", uint64_t{1} << 30}, {"MiB", 1 << 20}, {"KiB", 1 << 10}};
// A terabyte of messages waiting is far past any outage worth waiting out.
constexpr uint64_t kMostBytes = uint64_t{1} << 40;

}  // namespace

std::string read_queue_bound(std::string_view text, QueueBound &bound) {
    const std::string problem = "expects a number of messages from 1 to " +
                                std::to_string(kMostMessages) +
                                ", or a size from 1KiB to 1024GiB such as 64MiB (KiB, MiB, GiB)";
    uint64_t number = 0;
    const char *const end = text.data() + text.size();
    const auto [after, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || after == text.data() || number == 0) return problem;
    const std::string_view unit(after, static_cast<std::size_t>(end - after));
    if (unit.empty()) {
        if (number > kMostMessages) return problem;
        bound.messages = number;
        return {};
    }
    for (const SizeUnit &known : kUnits) {
        if (unit != known.name) continue;
        if (number > kMostBytes / known.bytes) return problem;
        bound.bytes = number * known.bytes;
        return {};
    }
    return problem;
}

QueueBound spool_bound(const QueueBound &given) {
    QueueBound bound = given;
    if (bound.messages == 0) {
        bound.messages = given.bytes == 0 ? kDefaultQueueMessages : UINT64_MAX;
    }
    return bound;
}

std::string queue_bound_text(const QueueBound &bound) {
    std::string text;
    if (bound.messages != UINT64_MAX) text = std::to_string(bound.messages) + " messages";
    if (bound.bytes == 0) return text;
    if (!text.empty()) text += " or ";
    for (const SizeUnit &unit : kUnits) {
        if (bound.bytes % unit.bytes == 0) {
            return text + std::to_string(bound.bytes / unit.bytes) + std::string(unit.name);
        }
    }
    return text + std::to_string(bound.bytes) + " bytes";
}

}  // namespace tavlo::mqtt
