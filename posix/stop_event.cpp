// The process's stop event on Windows.
#include "stop_event.h"

#include <windows.h>

#include <cstdio>

namespace tavlo::posix {

namespace {

// Made at the first use, by whichever module of the process comes first.
HANDLE stop_event() {
    static const HANDLE event = [] {
        char name[64];
        std::snprintf(name, sizeof name, "Local\\tavlo-stop-%lu", GetCurrentProcessId());
        return CreateEventA(nullptr, TRUE, FALSE, name);
    }();
    return event;
}

}  // namespace

void set_stop_event() {
    if (stop_event() != nullptr) SetEvent(stop_event());
}

bool wait_for_stop_event(unsigned long milliseconds) {
    if (stop_event() == nullptr) {
        Sleep(milliseconds);
        return false;
    }
    return WaitForSingleObject(stop_event(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace tavlo::posix
