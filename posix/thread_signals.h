// Threads that leave the signals to the threads that were there, so that a
// stop signal ends the waits of the thread that looks for it. Windows has
// no such signals (its stop requests come on a thread of their own).
#pragma once

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#endif

namespace tavlo::posix {

// While it lives, the calling thread, and every thread that it starts,
// blocks all signals.
class SignalsBlocked {
public:
#ifdef _WIN32
    SignalsBlocked() {}  // nothing to block
#else
    SignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, &before_);
    }
    ~SignalsBlocked() {
        pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }

private:
    sigset_t before_;
#endif

public:
    SignalsBlocked(const SignalsBlocked &) = delete;
    SignalsBlocked &operator=(const SignalsBlocked &) = delete;
};

}  // namespace tavlo::posix
