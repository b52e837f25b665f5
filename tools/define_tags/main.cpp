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

constexpr const char kUsage[] =
    "Usage: tavlo_define_tags [--historical]\n"
    "\n"
    "Asks for a number of tags, defines them at the console with define_tags\n"
    "(with --historical, define_historical_tags) with every record given, and\n"
    "prints the records that came back. Answers are read from standard input\n"
    "only, so a file of answers can drive it.\n"
    "\n";

enum ExitStatus { kExitDone = 0, kExitNoCount = 1 };

// The exit statuses that --help lists; each is an item of
// man/tavlo_define_tags.1 too, which a test checks.
const tavlo::cli::Program kProgram = {
    "tavlo_define_tags",
    kUsage,
    "",
    {
        {kExitDone, "the records were printed"},
        {kExitNoCount, "input ended, or could not be read, before the number of tags was given"},
        {2, "usage: an unknown option or argument"},
        {4, "standard output could not be written"},
    }};

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
        kProgram, {tavlo::cli::flag("historical", historical).help("define historical tags")}, argc,
        argv);
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
