// Environment variables that a test sets for a while, then puts back.
#pragma once

#include <optional>
#include <string>

namespace tavlo::testing {

// Sets `name` to `value` for the life of the object, then puts back the
// value it had, or unsets it if it had none.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(const std::string &name, const std::string &value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
    ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

private:
    std::string name_;
    std::string before_;
    bool was_set_ = false;
};

// TZ set (and tzset called) for the life of the object, then the zone that
// was set before.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string &zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    std::optional<ScopedEnvironmentVariable> tz_;
};

}  // namespace tavlo::testing
