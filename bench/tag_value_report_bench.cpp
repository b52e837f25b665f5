// The tag value report alone: print_tag_values on one message that holds a
// tag of every data type, with timestamps and statuses, written to
// /dev/null and flushed after each message as the receiver does.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tavlo_testsupport.h"

namespace {

// One tag of the message: its compact name, descriptor and value bytes.
struct Tag {
    const char *name;
    TypeDescriptor descriptor;
    std::vector<unsigned char> value;
};

template <typename T>
std::vector<unsigned char> bytes_of(const T &value) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&value);
    return {bytes, bytes + sizeof value};
}

std::vector<unsigned char> text_of(const char *text, std::size_t size) {
    std::vector<unsigned char> bytes(size, '\0');
    std::memcpy(bytes.data(), text, std::min(size, std::strlen(text)));
    return bytes;
}

const std::vector<Tag> kTags = {
    {"BOILER.TEMPERATURE", {TAVLO_TYPE_REAL, TAVLO_TYPE_REAL, 4, 1}, bytes_of(61.25f)},
    {"BOILER.PUMPS", {TAVLO_TYPE_SHORT, TAVLO_TYPE_ENUMERATION, 2, 1}, bytes_of<int16_t>(-3)},
    {"BOILER.STATE", {TAVLO_TYPE_ASCII, TAVLO_TYPE_DESCRIPTION, 24, 1}, text_of("RUNNING", 24)},
    {"BOILER.MODE", {TAVLO_TYPE_ASCII, TAVLO_TYPE_ASCII, 8, 1}, text_of("AUTOMATIC", 8)},
    {"BOILER.STARTS", {TAVLO_TYPE_LONG, TAVLO_TYPE_LONG, 4, 1}, bytes_of<int32_t>(1234567)},
    {"BOILER.PRESSURE", {TAVLO_TYPE_DOUBLE, TAVLO_TYPE_DOUBLE, 8, 1}, bytes_of(-1013.987654321)},
    {"BOILER.LAST_IGNITION",
     {TAVLO_TYPE_TIME, TAVLO_TYPE_TIME, 8, 1},
     bytes_of(TimeRecord{250, 1699996400})},
    {"BOILER.CONTROL",
     {TAVLO_TYPE_STRUCTURE, TAVLO_TYPE_STRUCTURE, 16, 1},
     std::vector<unsigned char>(16, 0xA5)},
};

// The arrays of a read that carries kTags.
struct Message {
    std::vector<char> names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;

    Message() {
        const auto count = static_cast<int32_t>(kTags.size());
        names.assign(kTags.size() * 40, ' ');
        descriptors.push_back({TAVLO_TYPE_STRUCTURE, TAVLO_TYPE_NONE, count, 1});
        for (std::size_t k = 0; k < kTags.size(); ++k) {
            std::memcpy(&names[k * 40], kTags[k].name, std::strlen(kTags[k].name));
            names[k * 40 + 39] = '\0';
            descriptors.push_back(kTags[k].descriptor);
            values.insert(values.end(), kTags[k].value.begin(), kTags[k].value.end());
            statuses.push_back({k % 3 == 0 ? -5 : -1, static_cast<int32_t>(k), 21});
            timestamps.push_back({100, 1700000000});
        }
    }
};

void BM_TagValueReport(benchmark::State &state) {
    const Message message;
    tag_name_stride = 40;
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    for (auto _ : state) {
        print_tag_values(message.names.data(), message.descriptors.data(), message.values.data(),
                         message.statuses.data(), message.timestamps.data(),
                         static_cast<int32_t>(kTags.size()));
        std::fflush(stdout);
    }
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kTags.size()));
}
BENCHMARK(BM_TagValueReport);

}  // namespace

// Standard output fully buffered, as it is on a pipe, whatever it is when
// the benchmark starts: the report's writes do not depend on a terminal.
int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOFBF, BUFSIZ);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
