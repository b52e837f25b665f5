// The three status lines: every code of the table, and the fallbacks.
#include <gtest/gtest.h>

#include <string>

#include "console_capture.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::capture_stdout;

std::string status_lines(int32_t status, int32_t facility = 0, int32_t driver = 0) {
    const TagStatus tag_status{status, facility, driver};
    return capture_stdout([&] { print_tag_status(&tag_status); });
}

struct StatusCase {
    int32_t code;
    const char *line;
};

// The status table, written out line by line as the lines must read.
const StatusCase kTable[] = {
    {0, "\nStatus is initial (0)"},
    {-1, "\nStatus is GOOD (-1)"},
    {-2, "\nStatus is no status (-2)"},
    {-3, "\nStatus is SUSPECT (-3)"},
    {-4, "\nStatus is clamped high (-4)"},
    {-5, "\nStatus is clamped low (-5)"},
    {-6, "\nStatus is BAD (-6)"},
    {-8, "\nStatus is 'No permission to read or write' (-8)"},
    {-9, "\nStatus is 'Out of Range' (-9)"},
    {-10, "\nStatus is 'Deadband Conversion Error' (-10)"},
    {-11, "\nStatus is 'Engineering Unit Conversion Error' (-11)"},
    {-12, "\nStatus is 'Request Failed' (-12)"},
    {-13, "\nStatus is 'Bad Tag' (-13)"},
    {-14, "\nStatus is 'Point or Group or Device Turned Off' (-14)"},
    {-15, "\nStatus is 'Undefined Value (-15)"},
    {-16, "\nStatus is 'Unsolicited cancel failed' (-16)"},
    {-17, "\nStatus is 'Unsolicited declare failed' (-17)"},
    {-18, "\nStatus is 'WFAR' (-18)"},
    {-19, "\nStatus is 'MERVAN_ERR' (-19)"},
    {-20, "\nStatus is 'Tag and internal id mismatched' (-20)"},
    {-21, "\nStatus is 'FIELD_ACC' (-21)"},
    {-22, "\nStatus is 'V_F_UNDEF' (-22)"},
    {-23, "\nStatus is 'CLAMPED' (-23)"},
    {-24, "\nStatus is 'UNDEF_QUAL' (-24)"},
    {-25, "\nStatus is 'Output Open Bad' (-25)"},
    {-26, "\nStatus is 'Output Open' (-26)"},
    {-27, "\nStatus is 'Low Limit Input Open Bad' (-27)"},
    {-28, "\nStatus is 'Upper Limit Input Open Bad' (-28)"},
    {-29, "\nStatus is 'Low Limit Input Open' (-29)"},
    {-30, "\nStatus is 'Upper Limit Input Open' (-30)"},
    {-31, "\nStatus is 'Input Open' (-31)"},
    {-32, "\nStatus is 'Maintenance Bad' (-32)"},
    {-33, "\nStatus is 'Maintenance Quality Status' (-33)"},
    {-34, "\nStatus is 'Service Off Bad' (-34)"},
    {-35, "\nStatus is 'Service off Quality Status' (-35)"},
    {-36, "\nStatus is 'Invalid NEFV Calibration QST' (-36)"},
    {-37, "\nStatus is 'Invalid Calibration QST' (-37)"},
    {-38, "\nStatus is 'Invalid NEFV QST' (-38)"},
    {-39, "\nStatus is 'Calibration' (-39)"},
    {-40, "\nStatus is 'Communication Error Bad' (-40)"},
    {-41, "\nStatus is 'Communication Error QST' (-41)"},
    {-42, "\nStatus is 'Cannot validate' (-42)"},
    {-43, "\nStatus is 'RECOVERED' (-43)"},
    {-44, "\nStatus is 'Bad Calibration Input Open CAL_IOPM_B' (-44)"},
    {-45, "\nStatus is 'Bad Calibration NEFV Input Open' (-45)"},
    {-46, "\nStatus is 'Bad Calibration NEFV' (-46)"},
    {-47, "\nStatus is 'Calibration NEFV' (-47)"},
    {-48, "\nStatus is 'Calibration Input Open' (-48)"},
    {-49, "\nStatus is 'Data is questionable' (-49)"},
    {-50, "\nStatus is 'Data is unavailable' (-50)"},
    {-51, "\nStatus is 'Data type not supported' (-51)"},
    {-52, "\nStatus is 'Invalid data type usage' (-52)"},
    {-53, "\nStatus is 'Process I/O Not Ready' (-53)"},
    {-54, "\nStatus is 'Conditional' (-54)"},
    {-55, "\nStatus is 'Clamp Minus' (-55)"},
    {-56, "\nStatus is 'Clamp Plus' (-56)"},
    {-57, "\nStatus is 'Path To Process Failed' (-57)"},
    {-58, "\nStatus is 'Status not from Process' (-58)"},
    {-59, "\nStatus is 'Manual High' (-59)"},
    {-60, "\nStatus is 'Manual Low' (-60)"},
    {-61, "\nStatus is 'Manual' (-61)"},
    {-62, "\nStatus is 'Quality High' (-62)"},
    {-63, "\nStatus is 'Quality Low' (-63)"},
    {-64, "\nStatus is 'HIGH' (-64)"},
    {-65, "\nStatus is 'LOW' (-65)"},
    {-66, "\nStatus is 'No Data' (-66)"},
    {-67, "\nStatus is 'Bad Low' (-67)"},
    {-68, "\nStatus is 'Bad Data' (-68)"},
    {-69, "\nStatus is 'Bad Calculation' (-69)"},
    {-70, "\nStatus is 'Archiving Off' (-70)"},
    {-71, "\nStatus is 'Bad High' (-71)"},
    {-72, "\nStatus is 'INTER' (-72)"},
    {-32768, "\nStatus is 'No Field' (-32768)"},
};

TEST(StatusText, EveryCodeOfTheTablePrintsItsLine) {
    EXPECT_EQ(sizeof kTable / sizeof kTable[0], 73u);
    for (const StatusCase &c : kTable) {
        EXPECT_EQ(status_lines(c.code), std::string(c.line) + "\nFacility=0\nDriver Status=0")
            << "code " << c.code;
    }
}

TEST(StatusText, CodesWithoutAnEntryPrintTheFallback) {
    // -7 is the gap in the table; the others lie just outside it, or are
    // whole 32-bit values that a 16-bit mask would confuse with -32768.
    for (int32_t code : {-7, -73, 1, 32768, 65535, -65536, -32767, -32769, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(status_lines(code, 3, 4),
                  "\nUnknown status (" + std::to_string(code) + ")\nFacility=3\nDriver Status=4")
            << "code " << code;
    }
}

TEST(StatusText, FacilityAndDriverStatusPrintSigned) {
    EXPECT_EQ(status_lines(-6, -20, -2147483647),
              "\nStatus is BAD (-6)\nFacility=-20\nDriver Status=-2147483647");
}

}  // namespace
