// Windows, where no signal ends a wait: the process's stop event. A stop
// request sets it, and the system clock's waits end when it is set, as a
// signal handler ends them on POSIX. The event is found by a name of the
// process, so that the client library (a DLL with a copy of its own of this
// code) and the program share it.
#pragma once

namespace tavlo::posix {

// Sets the stop event; it stays set.
void set_stop_event();

// Waits up to `milliseconds` for the stop event. True when it is set.
bool wait_for_stop_event(unsigned long milliseconds);

}  // namespace tavlo::posix
