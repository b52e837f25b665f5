// Environment variables that a test sets for a while, then puts back.
#include "scoped_environment.h"

#include <stdlib.h>

#include <cstdlib>
#include <ctime>

namespace tavlo::testing {

ScopedEnvironmentVariable::ScopedEnvironmentVariable(const std::string &name,
                                                     const std::string &value)
    : name_(name) {
    if (const char *before = std::getenv(name.c_str())) {
        before_ = before;
        was_set_ = true;
    }
    setenv(name.c_str(), value.c_str(), 1);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    if (was_set_) {
        setenv(name_.c_str(), before_.c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

ScopedTimeZone::ScopedTimeZone(const std::string &zone) {
    tz_.emplace("TZ", zone);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    tz_.reset();  // TZ as it was, before tzset reads it
    tzset();
}

}  // namespace tavlo::testing
