// The report of one received message: its header and its tags.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::receiver {

// The out-parameters of a read, kept from pass to pass so that the pointers
// one read returns are handed back to the library on the next.
struct ReadSlots {
    MessageKind kind = 0;
    char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t count = 0;
    int32_t slot7 = 0;
    char *names = nullptr;
    void *slot9 = nullptr;
    TypeDescriptor *descriptors = nullptr;
    void *values = nullptr;
    TagStatus *statuses = nullptr;
    TimeRecord *timestamps = nullptr;
    int32_t slot14 = 0;
    void *slot15 = nullptr;
};

// Prints the header of the message's kind and its tag value report, with
// the arrays the kind carries. Returns false, printing nothing, for a kind
// that is not reported.
bool report_message(const ReadSlots &slots);

// "\nError connecting to " and the device name.
void print_connect_error(const char *device);

}  // namespace tavlo::receiver
