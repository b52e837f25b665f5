// The report of one received message: its header and its tags.
#include "message_report.h"

#include <cstdio>
#include <string_view>

#include "report_writer.h"
#include "tavlo_testsupport.h"

namespace tavlo::receiver {

namespace {

struct KindReport {
    MessageKind kind;
    std::string_view title;  // the row of plus signs above it is as long
    bool descriptors;
    bool values;
    bool timestamps;
};

const KindReport kReports[] = {
    {TAVLO_MSG_GET_REPLY, "Get reply received for:", true, true, true},
    {TAVLO_MSG_PUT_REPLY, "Put reply received for:", true, true, true},
    {TAVLO_MSG_DECLARE_REPLY, "Declare reply received for:", true, false, false},
    {TAVLO_MSG_CANCEL_REPLY, "Cancel reply received for:", false, false, false},
    {TAVLO_MSG_UNSOLICITED, "Unsolicited Values received for:", true, true, true},
};

constexpr std::string_view kPlusRow = "++++++++++++++++++++++++++++++++++++++++";

const KindReport *report_of(MessageKind kind) {
    for (const KindReport &report : kReports) {
        if (report.kind == kind) return &report;
    }
    return nullptr;
}

// The row of plus signs, the title and the device line.
void print_header(const KindReport &report, const ReadSlots &slots) {
    ts::ReportWriter out(stdout);
    out.text("\n");
    out.text(kPlusRow.substr(0, report.title.size()));
    out.text("\n\n");
    out.text(report.title);
    out.text("\nDevice: ");
    if (slots.device != nullptr) out.text(slots.device);
    out.text(" Unit:   ");
    out.integer(slots.unit);
    out.text(" ListID: ");
    out.integer(slots.list_id);
    out.text("\n");
}

}  // namespace

bool report_message(const ReadSlots &slots) {
    const KindReport *report = report_of(slots.kind);
    if (report == nullptr) return false;
    print_header(*report, slots);
    print_tag_values(slots.names, report->descriptors ? slots.descriptors : nullptr,
                     report->values ? slots.values : nullptr, slots.statuses,
                     report->timestamps ? slots.timestamps : nullptr, slots.count);
    return true;
}

void print_connect_error(const char *device) {
    ts::ReportWriter out(stdout);
    out.text("\nError connecting to ");
    out.text(device);
}

}  // namespace tavlo::receiver
