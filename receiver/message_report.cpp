// The report of one received message: its header and its tags.
#include "message_report.h"

#include <cstdio>
#include <cstring>

#include "tavlo_testsupport.h"

namespace tavlo::receiver {

namespace {

struct KindReport {
    MessageKind kind;
    const char *title;  // the row of plus signs above it is as long
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

constexpr const char kPlusRow[] = "++++++++++++++++++++++++++++++++++++++++";

const KindReport *report_of(MessageKind kind) {
    for (const KindReport &report : kReports) {
        if (report.kind == kind) return &report;
    }
    return nullptr;
}

}  // namespace

bool report_message(const ReadSlots &slots) {
    const KindReport *report = report_of(slots.kind);
    if (report == nullptr) return false;
    const int title_length = static_cast<int>(std::strlen(report->title));
    std::printf("\n%.*s\n\n%s\nDevice: %s Unit:   %ld ListID: %ld\n", title_length, kPlusRow,
                report->title, slots.device != nullptr ? slots.device : "",
                static_cast<long>(slots.unit), static_cast<long>(slots.list_id));
    print_tag_values(slots.names, report->descriptors ? slots.descriptors : nullptr,
                     report->values ? slots.values : nullptr, slots.statuses,
                     report->timestamps ? slots.timestamps : nullptr, slots.count);
    return true;
}

}  // namespace tavlo::receiver
