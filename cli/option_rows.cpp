// Rows for the tables of options: what each kind of option does with its
// value.
#include "option_rows.h"

#include <string_view>
#include <utility>

#include "number_reading.h"

namespace tavlo::cli {

namespace {

template <typename Number>
Option number_option(const char *name, Number low, Number high, std::function<void(Number)> take,
                     std::string (*read)(const char *, Number, Number, Number &)) {
    return {name, true, [low, high, read, take = std::move(take)](const char *value) {
                Number number{};
                std::string problem = read(value, low, high, number);
                if (problem.empty()) take(number);
                return problem;
            }};
}

}  // namespace

Option Option::help(const char *text) && {
    description = text;
    return std::move(*this);
}

Option Option::help(const char *value, const char *text) && {
    value_name = value;
    description = text;
    return std::move(*this);
}

Option Option::after_paragraph(const char *paragraph) && {
    heading = paragraph;
    return std::move(*this);
}

Option Option::files() && {
    complete_files = true;
    return std::move(*this);
}

Option Option::offers(std::vector<std::string> choices) && {
    words = std::move(choices);
    return std::move(*this);
}

Option flag(const char *name, bool &target) {
    return {name, false, [&target](const char *) {
                target = true;
                return std::string();
            }};
}

Option text(const char *name, std::string &target) {
    return {name, true, [&target](const char *value) {
                if (*value == '\0') return std::string("needs a value");
                target = value;
                return std::string();
            }};
}

Option list(const char *name, std::vector<std::string> &items) {
    return list(name, [&items](const std::string &item) {
        items.push_back(item);
        return std::string();
    });
}

Option list(const char *name, std::function<std::string(const std::string &item)> take) {
    Option row = {name, true, [take = std::move(take)](const char *value) {
                      if (*value == '\0') return std::string("needs a value");
                      std::vector<std::string> given;
                      std::string_view rest(value);
                      for (;;) {
                          const auto comma = rest.find(',');
                          if (comma == 0 || rest.empty()) return std::string("has an empty item");
                          given.emplace_back(rest.substr(0, comma));
                          if (comma == std::string_view::npos) break;
                          rest.remove_prefix(comma + 1);
                      }
                      for (const std::string &item : given) {
                          std::string problem = take(item);
                          if (!problem.empty()) return problem;
                      }
                      return std::string();
                  }};
    row.items = true;
    return row;
}

Option one_of(const char *name, std::vector<std::string> words,
              std::function<void(std::size_t)> take) {
    Option row = {
        name, true, [words, take = std::move(take)](const char *value) {
            std::string expected = "expects ";
            for (std::size_t k = 0; k < words.size(); ++k) {
                if (words[k] == value) {
                    take(k);
                    return std::string();
                }
                expected += (k == 0 ? "" : k + 1 < words.size() ? ", " : " or ") + words[k];
            }
            return expected;
        }};
    row.words = std::move(words);
    return row;
}

Option whole_number(const char *name, int64_t low, int64_t high,
                    std::function<void(int64_t)> take) {
    return number_option(name, low, high, std::move(take), read_whole_number);
}

Option decimal_number(const char *name, double low, double high, std::function<void(double)> take) {
    return number_option(name, low, high, std::move(take), read_decimal_number);
}

}  // namespace tavlo::cli
