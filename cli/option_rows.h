// Rows for the tables of options: what each kind of option does with its
// value. A list and a choice of words complete their words (a list's
// only once offers() gives them).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "command_line.h"

namespace tavlo::cli {

// --name: sets `target`.
Option flag(const char *name, bool &target);

// --name TEXT: `target` takes the text, which may not be empty.
Option text(const char *name, std::string &target);

// --name A,B,...: every item is added to `items`, also when the option is
// given again. Empty items are refused.
Option list(const char *name, std::vector<std::string> &items);

// The same, every item handed to `take`, which returns "" when it took the
// item, else the problem, which refuses the option.
Option list(const char *name, std::function<std::string(const std::string &item)> take);

// --name WORD: one of `words`, whose place in them is handed to `take`.
// Another word is refused: "expects A, B or C". The completion offers them.
Option one_of(const char *name, std::vector<std::string> words,
              std::function<void(std::size_t)> take);

// --name N: a whole number from `low` to `high`, handed to `take`.
Option whole_number(const char *name, int64_t low, int64_t high, std::function<void(int64_t)> take);

// --name S: a decimal number from `low` to `high`, handed to `take`.
Option decimal_number(const char *name, double low, double high, std::function<void(double)> take);

// The same, into a number or an optional number.
template <typename Target>
Option whole(const char *name, Target &target, int64_t low, int64_t high) {
    return whole_number(name, low, high, [&target](int64_t n) { target = Target(n); });
}

template <typename Target>
Option decimal(const char *name, Target &target, double low, double high) {
    return decimal_number(name, low, high, [&target](double n) { target = Target(n); });
}

}  // namespace tavlo::cli
