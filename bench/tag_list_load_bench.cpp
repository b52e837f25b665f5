// Loading tag-list files of 100,000, 1,000,000 and 2,000,000 lines in the
// types and the values format: lines per second, and the peak memory of the
// process.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tag_arrays.h"
#include "tag_list_loaders.h"
#include "tavlo_testsupport.h"

namespace {

using namespace tavlo::ts;

enum class Format { kTypes, kValues };

// One line of the generated file for tag `k`: the six data types in turn,
// with device data types and values where the format has them.
void write_line(std::FILE *file, Format format, long k) {
    static const char *const kTypes[] = {"REAL", "SHORT", "LONG", "DOUBLE", "TIME", "ASCII"};
    static const char *const kDeviceTypes[] = {"REAL", "", "EU", "DOUBLE", "DTIME", "DESC"};
    static const char *const kValues[] = {"12.5", "-7", "123456", "1e6", "3600", "\"ab c\""};
    static const char *const kOutputTypes[] = {"GOOD", "NAN", "NONE", "SUSPECT"};
    const long type = k % 6;
    if (format == Format::kTypes) {
        std::fprintf(file, "TAG%07ld %s %s\n", k, kTypes[type], kDeviceTypes[type]);
    } else {
        std::fprintf(file, "TAG%07ld %s %s %s %s\n", k, kTypes[type], kValues[type],
                     kOutputTypes[k % 4], kDeviceTypes[type]);
    }
}

std::string generated_file(Format format, long lines) {
    const std::string path = "/tmp/tavlo_bench_" + std::to_string(getpid()) + "_" +
                             (format == Format::kTypes ? "types_" : "values_") +
                             std::to_string(lines) + ".txt";
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (file == nullptr) std::abort();
    for (long k = 0; k < lines; ++k) write_line(file, format, k);
    std::fclose(file);
    return path;
}

// The process's peak resident memory in MiB since the last reset.
double peak_rss_mib() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            double kib = 0;
            status >> kib;
            return kib / 1024;
        }
    }
    return 0;
}

void reset_peak_rss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct FreeBytes {
    void operator()(void *bytes) const { std::free(bytes); }
};

// What a caller gives the loader for `count` tags. Pages are touched only
// as the loads write them.
struct Outputs {
    explicit Outputs(int32_t count)
        : names(static_cast<char *>(std::malloc(static_cast<std::size_t>(count) * 256))),
          descriptors(static_cast<TypeDescriptor *>(
              std::malloc(static_cast<std::size_t>(count + 1) * sizeof(TypeDescriptor)))),
          values(std::malloc(static_cast<std::size_t>(count) * 1200)),
          output_types(static_cast<OutputType *>(
              std::malloc(static_cast<std::size_t>(count) * sizeof(OutputType)))) {}

    std::unique_ptr<char, FreeBytes> names;
    std::unique_ptr<TypeDescriptor, FreeBytes> descriptors;
    std::unique_ptr<void, FreeBytes> values;
    std::unique_ptr<OutputType, FreeBytes> output_types;
};

// What load_tag_list does after the file name is typed. True when the load
// ended without error.
bool load_once(const std::string &path, const TagListOutputs &given, int32_t lines) {
    StatusBlock block;
    CompactNames working_copy(lines);
    TAVLO_CLIENT_INITBLK(&block);
    const TagListFile file(std::fopen(path.c_str(), "r"));
    LoadErrors errors(&block, true);
    read_tag_list(file.get(), LoadCall::kConsole, given, lines, working_copy, errors);
    return block.error[0] == -1 && tag_name_stride == 40;
}

void load_file(benchmark::State &state, Format format) {
    const auto lines = static_cast<int32_t>(state.range(0));
    const std::string path = generated_file(format, lines);
    reset_peak_rss();
    {
        Outputs outputs(lines);
        const TagListOutputs given{outputs.names.get(), outputs.descriptors.get(),
                                   format == Format::kValues ? outputs.values.get() : nullptr,
                                   format == Format::kValues ? outputs.output_types.get() : nullptr,
                                   nullptr};
        // One load before the timing, so that the first timed one does not
        // pay for the first touch of the outputs and the file's pages.
        if (!load_once(path, given, lines)) state.SkipWithError("the load failed");
        for (auto _ : state) {
            if (!load_once(path, given, lines)) {
                state.SkipWithError("the load failed");
                break;
            }
            benchmark::DoNotOptimize(outputs.names.get());
        }
    }
    state.counters["lines_per_second"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_MiB"] = peak_rss_mib();
    std::remove(path.c_str());
}

void BM_LoadTypesFormat(benchmark::State &state) {
    load_file(state, Format::kTypes);
}

void BM_LoadValuesFormat(benchmark::State &state) {
    load_file(state, Format::kValues);
}

BENCHMARK(BM_LoadTypesFormat)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadValuesFormat)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
