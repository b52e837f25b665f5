// tavlo_define_tags: defines tags at the console with the test-support
// library's dialogues and prints the records that came back.
#include <cstdio>

#include "option_rows.h"
#include "record_listings.h"
#include "standard_output.h"
#include "tag_count.h"
#include "tavlo_testsupport.h"

using namespace tavlo::define_tags;

namespace {

constexpr const char kHelpText[] =
    "Usage: tavlo_define_tags [--historical]\n"
    "\n"
    "Asks for a number of tags, defines them at the console with define_tags\n"
    "(with --historical, define_historical_tags) with every record given, and\n"
    "prints the records that came back. Answers are read from standard input\n"
    "only, so a file of answers can drive it.\n"
    "\n"
    "  --historical  define historical tags\n"
    "  --help        print this text\n"
    "  --version     print the version\n"
    "\n"
    "Exit status:\n"
    "  0  the records were printed\n"
    "  1  input ended, or could not be read, before the number of tags was given\n"
    "  2  usage: an unknown option or argument\n"
    "  4  standard output could not be written\n";

enum ExitStatus { kExitDone = 0, kExitNoCount = 1 };

constexpr tavlo::cli::Program kProgram = {"tavlo_define_tags", kHelpText};

void define_and_print_tags(int32_t count) {
    TagRecords records(count);
    define_tags(records.names.data(), records.descriptors.data(), records.values.data(),
                records.output_types.data(), records.deadbands.data(), count);
    print_tag_records(records, count);
}

void define_and_print_historical_tags(int32_t count) {
    HistoricalRecords records(count);
    define_historical_tags(records.names.data(), records.descriptors.data(),
                           records.value_counts.data(), records.start_times.data(),
                           records.end_times.data(), count);
    print_historical_records(records, count);
}

}  // namespace

int main(int argc, char **argv) {
    bool historical = false;
    const tavlo::cli::Parsed parsed = tavlo::cli::read_options_alone(
        kProgram, {tavlo::cli::flag("historical", historical)}, argc, argv);
    if (parsed.stop) return tavlo::cli::finish(*parsed.stop);
    const std::optional<int32_t> count = ask_tag_count();
    if (!count) {
        std::fputs("\nInput ended before the number of tags was given.\n", stdout);
        return tavlo::cli::close_standard_output(kProgram.name, kExitNoCount);
    }
    tag_name_stride = 256;  // the dialogues set 40 for the compact layout
    if (historical) {
        define_and_print_historical_tags(*count);
    } else {
        define_and_print_tags(*count);
    }
    std::fputs("\n", stdout);
    return tavlo::cli::close_standard_output(kProgram.name, kExitDone);
}
