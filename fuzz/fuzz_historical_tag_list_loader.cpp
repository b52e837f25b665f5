// Fuzz target: the reading of a file by load_historical_tag_list or
// load_historical_tag_list_file, with the count that the input chooses.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_input_file.h"
#include "tag_list_loaders.h"
#include "tavlo_testsupport.h"

using namespace tavlo::ts;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    // Byte 0: the count, 0 to 63, and whether the load is a console or a
    // path load; the rest: the file.
    const int32_t count = data[0] % 64;
    const LoadCall call = data[0] / 64 % 2 == 0 ? LoadCall::kConsole : LoadCall::kPath;
    const FuzzFile file = open_fuzz_file(data + 1, size - 1);
    if (!file) std::abort();

    const auto tags = static_cast<std::size_t>(count);
    std::vector<char> names(tags * 256 + (tags == 0 ? 1 : 0));
    std::vector<TypeDescriptor> descriptors(tags + 1);
    std::vector<int32_t> value_counts(tags);

    tag_name_stride = 0;
    StatusBlock block;
    TAVLO_CLIENT_INITBLK(&block);
    CompactNames working_copy(count);
    if (!working_copy.ok()) std::abort();
    LoadErrors errors(&block, call == LoadCall::kConsole);
    const int32_t filled =
        read_historical_tag_list(file.get(), call, names.data(), descriptors.data(),
                                 value_counts.data(), count, working_copy, errors);

    const bool clean = block.error[0] == -1;
    const bool known_error = block.facility[0] == TAVLO_LOAD_FACILITY &&
                             block.error[0] >= TAVLO_LOAD_BAD_SIZE &&
                             block.error[0] <= TAVLO_LOAD_TOO_MANY_TAGS;
    if (!clean && !known_error) __builtin_trap();
    // Only a clean load may set the compact layout's stride.
    if (tag_name_stride != 0 && !(clean && tag_name_stride == 40)) __builtin_trap();
    if (filled < 0 || filled > count) __builtin_trap();
    if (descriptors[0].size != (call == LoadCall::kConsole ? count : filled)) __builtin_trap();
    const auto loaded = static_cast<std::size_t>(filled);
    for (std::size_t k = 1; k <= loaded && clean; ++k) {
        if (descriptors[k].size <= 0 || descriptors[k].device_data_type != 0) __builtin_trap();
    }
    return 0;
}
