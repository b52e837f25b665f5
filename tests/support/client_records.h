// Comparison and printing of the client library's records, so that a failed
// assertion on one shows its fields as the test would write them.
#pragma once

#include <ostream>

#include "tavlo.h"

// In the records' own (global) namespace, where GoogleTest looks for them.
bool operator==(const TypeDescriptor &a, const TypeDescriptor &b);
bool operator==(const Deadband &a, const Deadband &b);
bool operator==(const TimeRecord &a, const TimeRecord &b);
bool operator==(const TagStatus &a, const TagStatus &b);
bool operator==(const StatusBlock &a, const StatusBlock &b);

void PrintTo(const TypeDescriptor &d, std::ostream *out);
void PrintTo(const Deadband &d, std::ostream *out);
void PrintTo(const TimeRecord &t, std::ostream *out);
void PrintTo(const TagStatus &s, std::ostream *out);
void PrintTo(const StatusBlock &b, std::ostream *out);
