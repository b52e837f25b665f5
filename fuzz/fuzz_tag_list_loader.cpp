// Fuzz target: the reading of a file by load_tag_list or load_tag_list_file,
// in the format and with the count that the input chooses.
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
    if (size < 2) return 0;
    // Byte 0: which outputs are given and whether the load is a console or a
    // path load; byte 1: the count, 0 to 63; the rest: the file.
    const int given = data[0] % 5;
    const LoadCall call = data[0] / 5 % 2 == 0 ? LoadCall::kConsole : LoadCall::kPath;
    const int32_t count = data[1] % 64;
    const FuzzFile file = open_fuzz_file(data + 2, size - 2);
    if (!file) std::abort();

    // Every output exactly as large as the count asks, each on its own, so
    // that a write past one shows.
    const auto tags = static_cast<std::size_t>(count);
    std::vector<char> names(tags * 256 + (tags == 0 ? 1 : 0));
    std::vector<TypeDescriptor> descriptors(tags + 1);
    std::vector<unsigned char> values(tags * 1200);
    std::vector<OutputType> output_types(tags);
    std::vector<Deadband> deadbands(tags);
    const TagListOutputs outputs{
        names.data(),
        given == 0 ? nullptr : descriptors.data(),
        given == 2 || given == 3 ? values.data() : nullptr,
        given == 2 || given == 4 ? output_types.data() : nullptr,
        given == 3 ? deadbands.data() : nullptr,
    };

    tag_name_stride = 0;
    StatusBlock block;
    TAVLO_CLIENT_INITBLK(&block);
    CompactNames working_copy(count);
    if (!working_copy.ok()) std::abort();
    LoadErrors errors(&block, call == LoadCall::kConsole);
    const int32_t filled = read_tag_list(file.get(), call, outputs, count, working_copy, errors);

    // A load ends clean or with one of the codes of a file's contents.
    const bool clean = block.error[0] == -1;
    const bool known_error = block.facility[0] == TAVLO_LOAD_FACILITY &&
                             block.error[0] >= TAVLO_LOAD_BAD_DEADBAND_TYPE &&
                             block.error[0] <= TAVLO_LOAD_TOO_MANY_TAGS;
    if (!clean && !known_error) __builtin_trap();
    if (tag_name_stride != 0 && tag_name_stride != 40) __builtin_trap();
    if (filled < 0 || filled > count) __builtin_trap();
    // A path load takes a short file: its header counts the lines loaded.
    const int32_t header = call == LoadCall::kConsole ? count : filled;
    if (outputs.descriptors != nullptr && descriptors[0].size != header) __builtin_trap();
    if (call == LoadCall::kPath && block.error[0] == TAVLO_LOAD_TOO_MANY_TAGS) __builtin_trap();
    return 0;
}
