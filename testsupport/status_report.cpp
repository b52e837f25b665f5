// The status report: the three status lines of one tag on standard output.
#include <cstdio>

#include "report_lines.h"
#include "tavlo_testsupport.h"

extern "C" void print_tag_status(const TagStatus *tag_status) {
    tavlo::ts::ReportWriter out(stdout);
    tavlo::ts::write_tag_status(out, *tag_status);
}
