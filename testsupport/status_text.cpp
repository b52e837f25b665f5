// Status text: the three lines that describe one tag's TagStatus.
#include <string_view>

#include "value_lines.h"

namespace {

// What stands between "Status is " and " (code)" for the codes 0 to -72,
// indexed by -code. -7 has no entry (an empty text).
constexpr std::string_view kStatusTexts[] = {
    "initial",
    "GOOD",
    "no status",
    "SUSPECT",
    "clamped high",
    "clamped low",
    "BAD",
    {},
    "'No permission to read or write'",
    "'Out of Range'",
    "'Deadband Conversion Error'",
    "'Engineering Unit Conversion Error'",
    "'Request Failed'",
    "'Bad Tag'",
    "'Point or Group or Device Turned Off'",
    "'Undefined Value",
    "'Unsolicited cancel failed'",
    "'Unsolicited declare failed'",
    "'WFAR'",
    "'MERVAN_ERR'",
    "'Tag and internal id mismatched'",
    "'FIELD_ACC'",
    "'V_F_UNDEF'",
    "'CLAMPED'",
    "'UNDEF_QUAL'",
    "'Output Open Bad'",
    "'Output Open'",
    "'Low Limit Input Open Bad'",
    "'Upper Limit Input Open Bad'",
    "'Low Limit Input Open'",
    "'Upper Limit Input Open'",
    "'Input Open'",
    "'Maintenance Bad'",
    "'Maintenance Quality Status'",
    "'Service Off Bad'",
    "'Service off Quality Status'",
    "'Invalid NEFV Calibration QST'",
    "'Invalid Calibration QST'",
    "'Invalid NEFV QST'",
    "'Calibration'",
    "'Communication Error Bad'",
    "'Communication Error QST'",
    "'Cannot validate'",
    "'RECOVERED'",
    "'Bad Calibration Input Open CAL_IOPM_B'",
    "'Bad Calibration NEFV Input Open'",
    "'Bad Calibration NEFV'",
    "'Calibration NEFV'",
    "'Calibration Input Open'",
    "'Data is questionable'",
    "'Data is unavailable'",
    "'Data type not supported'",
    "'Invalid data type usage'",
    "'Process I/O Not Ready'",
    "'Conditional'",
    "'Clamp Minus'",
    "'Clamp Plus'",
    "'Path To Process Failed'",
    "'Status not from Process'",
    "'Manual High'",
    "'Manual Low'",
    "'Manual'",
    "'Quality High'",
    "'Quality Low'",
    "'HIGH'",
    "'LOW'",
    "'No Data'",
    "'Bad Low'",
    "'Bad Data'",
    "'Bad Calculation'",
    "'Archiving Off'",
    "'Bad High'",
    "'INTER'",
};
constexpr int32_t kTableCodes = sizeof kStatusTexts / sizeof kStatusTexts[0];
static_assert(kTableCodes == 73, "codes 0 to -72");
constexpr int32_t kNoFieldCode = -32768;

}  // namespace

namespace tavlo::ts {

std::string_view status_text(int32_t code) {
    if (code <= 0 && code > -kTableCodes) return kStatusTexts[-code];
    if (code == kNoFieldCode) return "'No Field'";
    return {};
}

std::string_view unquoted_status_text(int32_t code) {
    std::string_view text = status_text(code);
    if (!text.empty() && text.front() == '\'') text.remove_prefix(1);
    if (!text.empty() && text.back() == '\'') text.remove_suffix(1);
    return text;
}

void write_tag_status(ReportWriter &out, const TagStatus &tag_status) {
    const int32_t code = tag_status.status;
    if (const std::string_view text = status_text(code); !text.empty()) {
        out.text("\nStatus is ");
        out.text(text);
        out.text(" (");
    } else {
        out.text("\nUnknown status (");
    }
    out.integer(code);
    out.text(")\nFacility=");
    out.integer(tag_status.facility);
    out.text("\nDriver Status=");
    out.integer(tag_status.driver_status);
}

}  // namespace tavlo::ts
