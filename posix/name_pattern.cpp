// Shell patterns of names, on POSIX and on Windows.
#include "name_pattern.h"

#ifdef _WIN32
#include <cctype>
#include <cstring>
#include <string_view>
#else
#include <fnmatch.h>
#endif

namespace tavlo::posix {

#ifdef _WIN32

namespace {

// Whether `c` is of the class named `name` ("digit" of "[:digit:]").
bool in_class(std::string_view name, unsigned char c) {
    struct Class {
        std::string_view name;
        int (*test)(int);
    };
    static const Class kClasses[] = {
        {"alnum", std::isalnum}, {"alpha", std::isalpha}, {"blank", std::isblank},
        {"cntrl", std::iscntrl}, {"digit", std::isdigit}, {"graph", std::isgraph},
        {"lower", std::islower}, {"print", std::isprint}, {"punct", std::ispunct},
        {"space", std::isspace}, {"upper", std::isupper}, {"xdigit", std::isxdigit}};
    for (const Class &entry : kClasses) {
        if (entry.name == name) return entry.test(c) != 0;
    }
    return false;
}

// Whether `c` is in the bracket expression that starts just after the "["
// at `p`; `end` is set just after its "]", or to nullptr when it has none
// (the "[" is then a character like any other).
bool in_bracket(const char *p, unsigned char c, const char *&end) {
    const bool negated = *p == '!' || *p == '^';
    if (negated) ++p;
    bool found = false;
    // A "]" first in the brackets is one of their characters.
    do {
        if (*p == '\0') {
            end = nullptr;
            return false;
        }
        if (p[0] == '[' && p[1] == ':') {
            if (const char *close = std::strstr(p + 2, ":]")) {
                found = found || in_class(std::string_view(p + 2, std::size_t(close - p - 2)), c);
                p = close + 2;
                continue;
            }
        }
        if (p[0] == '\\' && p[1] != '\0') ++p;
        const auto low = static_cast<unsigned char>(*p);
        auto high = low;
        if (p[1] == '-' && p[2] != ']' && p[2] != '\0') {
            p += 2;
            if (p[0] == '\\' && p[1] != '\0') ++p;
            high = static_cast<unsigned char>(*p);
        }
        found = found || (low <= c && c <= high);
        ++p;
    } while (*p != ']');
    end = p + 1;
    return found != negated;
}

}  // namespace

bool matches_pattern(const char *pattern, const char *name) {
    const char *p = pattern;
    const char *n = name;
    // Where the last "*" went on, and the name's character it took up to.
    const char *star_pattern = nullptr;
    const char *star_name = nullptr;
    for (;;) {
        if (*p == '*') {
            while (*p == '*') ++p;
            star_pattern = p;
            star_name = n;
            continue;
        }
        if (*n == '\0') return *p == '\0';
        const auto c = static_cast<unsigned char>(*n);
        const char *next = p + 1;
        bool step = false;
        if (*p == '?') {
            step = true;
        } else if (*p == '[') {
            const char *end = nullptr;
            const bool in = in_bracket(p + 1, c, end);
            step = end != nullptr ? in : c == '[';
            if (end != nullptr) next = end;
        } else if (p[0] == '\\' && p[1] != '\0') {
            step = static_cast<unsigned char>(p[1]) == c;
            next = p + 2;
        } else {
            step = *p != '\0' && static_cast<unsigned char>(*p) == c;
        }
        if (step) {
            p = next;
            ++n;
        } else if (star_pattern == nullptr) {
            return false;
        } else {
            // The "*" takes one more character of the name.
            p = star_pattern;
            n = ++star_name;
        }
    }
}

#else

bool matches_pattern(const char *pattern, const char *name) {
    return fnmatch(pattern, name, 0) == 0;
}

#endif

}  // namespace tavlo::posix
