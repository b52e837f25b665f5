// The language of --expect and --until, read by recursive descent.
#include "expression_parser.h"

#include <strings.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string_view>
#include <vector>

#include "message_filter.h"
#include "report_lines.h"

namespace tavlo::expect {

namespace {

struct Token {
    enum class Type { kWord, kQuoted, kOperator, kOpen, kClose, kColon, kEnd } type;
    std::string text;
    std::size_t column;  // from 1
};

// A mistake at a column, thrown out of the descent to parse().
struct Mistake {
    std::string what;
    std::size_t column;
};

constexpr std::string_view kWordEnds = "()':\"=!<>~";
constexpr double kLongestSeconds = 1e9;  // some 31 years
// The codes of the status table: 0 to -72, and -32768.
constexpr int32_t kLowestTableCode = -72;
constexpr int32_t kNoFieldCode = -32768;

bool is_blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::vector<Token> tokens_of(const std::string &text) {
    std::vector<Token> tokens;
    std::size_t k = 0;
    while (true) {
        while (k < text.size() && is_blank(text[k])) ++k;
        const std::size_t column = k + 1;
        if (k == text.size()) break;
        const char c = text[k];
        if (c == '(' || c == ')' || c == ':') {
            const auto type = c == '('   ? Token::Type::kOpen
                              : c == ')' ? Token::Type::kClose
                                         : Token::Type::kColon;
            tokens.push_back({type, std::string(1, c), column});
            ++k;
        } else if (c == '\'' || c == '"') {
            const std::size_t end = text.find(c, k + 1);
            if (end == std::string::npos) throw Mistake{"a quote without its end", column};
            tokens.push_back({Token::Type::kQuoted, text.substr(k + 1, end - k - 1), column});
            k = end + 1;
        } else if (c == '~' || c == '<' || c == '>' || c == '=' || c == '!') {
            const bool two = k + 1 < text.size() && text[k + 1] == '=' && c != '~';
            const std::string op = text.substr(k, two ? 2 : 1);
            if (op == "=" || op == "!") {
                throw Mistake{"no operator '" + op + "' (== != < <= > >= ~)", column};
            }
            tokens.push_back({Token::Type::kOperator, op, column});
            k += op.size();
        } else {
            const std::size_t start = k;
            while (k < text.size() && !is_blank(text[k]) &&
                   kWordEnds.find(text[k]) == std::string_view::npos) {
                // A bracket expression of a pattern may hold '!'.
                if (text[k] == '[') {
                    const std::size_t close = text.find(']', k + 2);
                    if (close != std::string::npos) k = close;
                }
                ++k;
            }
            tokens.push_back({Token::Type::kWord, text.substr(start, k - start), column});
        }
    }
    tokens.push_back({Token::Type::kEnd, "", text.size() + 1});
    return tokens;
}

std::optional<double> number_of(const std::string &word) {
    if (word.empty()) return std::nullopt;
    const char first = word[0];
    if (!(std::isdigit(static_cast<unsigned char>(first)) || first == '-' || first == '+' ||
          first == '.')) {
        return std::nullopt;
    }
    char *end = nullptr;
    const double value = std::strtod(word.c_str(), &end);
    if (end != word.c_str() + word.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

// Days from 1970-01-01 to a date of the Gregorian calendar, in arithmetic
// alone (as timegm() counts them, which Windows lacks): years from March,
// so that the leap day ends a year, in eras of 400 years.
int64_t days_since_1970(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

// "YYYY-MM-DD hh:mm:ss[.mmm][Z]", a T for the blank allowed: UTC.
std::optional<int64_t> calendar_of(const std::string &text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    char separator = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d%n", &year, &month, &day, &separator,
                    &hour, &minute, &second, &used) != 7 ||
        (separator != ' ' && separator != 'T') || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::string_view rest = std::string_view(text).substr(static_cast<std::size_t>(used));
    int64_t milliseconds = 0;
    if (!rest.empty() && rest[0] == '.') {
        std::size_t digits = 1;
        int64_t scale = 100;
        for (; digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]));
             ++digits, scale /= 10) {
            milliseconds += (rest[digits] - '0') * scale;
        }
        if (digits == 1 || digits > 4) return std::nullopt;
        rest.remove_prefix(digits);
    }
    if (rest == "Z") rest.remove_prefix(1);
    if (!rest.empty()) return std::nullopt;
    const int64_t seconds =
        days_since_1970(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return seconds * 1000 + milliseconds;
}

// The code of a status as the report names it ("GOOD", "Out of Range"),
// the case ignored, or a code.
std::optional<int32_t> status_of(const std::string &word) {
    if (const std::optional<double> number = number_of(word)) {
        if (*number != std::floor(*number) || std::fabs(*number) > 2147483647.0) {
            return std::nullopt;
        }
        return static_cast<int32_t>(*number);
    }
    const auto named = [&word](int32_t code) {
        const std::string_view name = ts::unquoted_status_text(code);
        return !name.empty() && name.size() == word.size() &&
               strncasecmp(name.data(), word.data(), name.size()) == 0;
    };
    for (int32_t code = 0; code >= kLowestTableCode; --code) {
        if (named(code)) return code;
    }
    if (named(kNoFieldCode)) return kNoFieldCode;
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(const std::string &text) : tokens_(tokens_of(text)) {}

    Expression expression(bool timing_allowed, const std::string &text) {
        Expression result;
        result.text = text;
        result.condition = condition(result);
        if (timing_allowed && is_word("within")) {
            ++at_;
            result.timing = Timing::kWithin;
            result.duration = duration("within");
        } else if (timing_allowed && is_word("for")) {
            ++at_;
            result.timing = Timing::kFor;
            result.duration = duration("for");
        } else if (timing_allowed && is_word("always")) {
            ++at_;
            result.timing = Timing::kAlways;
        }
        if (now().type != Token::Type::kEnd) {
            throw Mistake{timing_allowed ? "expects and, or, within, for, always or the end"
                                         : "expects and, or or the end",
                          now().column};
        }
        return result;
    }

private:
    const Token &now() const { return tokens_[at_]; }

    bool is_word(std::string_view word) const {
        return now().type == Token::Type::kWord && now().text == word;
    }

    [[noreturn]] void expected(const std::string &what) const {
        const Token &token = now();
        throw Mistake{
            "expects " + what +
                (token.type == Token::Type::kEnd ? ", not the end" : ", not '" + token.text + "'"),
            token.column};
    }

    // The operands that `next` reads, joined by `word`: one alone, or a
    // node of `op` over them all.
    Condition joined(Expression &result, std::string_view word, Condition::Op op,
                     Condition (Parser::*next)(Expression &)) {
        Condition first = (this->*next)(result);
        if (!is_word(word)) return first;
        Condition node{op, 0, {std::move(first)}};
        while (is_word(word)) {
            ++at_;
            node.operands.push_back((this->*next)(result));
        }
        return node;
    }

    Condition condition(Expression &result) {
        return joined(result, "or", Condition::Op::kOr, &Parser::conjunction);
    }

    Condition conjunction(Expression &result) {
        return joined(result, "and", Condition::Op::kAnd, &Parser::negation);
    }

    Condition negation(Expression &result) {
        if (is_word("not")) {
            ++at_;
            return Condition{Condition::Op::kNot, 0, {negation(result)}};
        }
        if (now().type == Token::Type::kOpen) {
            ++at_;
            Condition inner = condition(result);
            if (now().type != Token::Type::kClose) expected("')'");
            ++at_;
            return inner;
        }
        result.tests.push_back(tag_test());
        return Condition{Condition::Op::kTest, result.tests.size() - 1, {}};
    }

    std::string name(const std::string &what) {
        if (now().type != Token::Type::kWord && now().type != Token::Type::kQuoted) expected(what);
        if (now().text.empty()) throw Mistake{"an empty name", now().column};
        return tokens_[at_++].text;
    }

    TagTest tag_test() {
        TagTest test;
        bool scoped = false;
        while (is_word("list") || is_word("device")) {
            scoped = true;
            if (tokens_[at_++].text == "list") {
                const std::optional<double> id = number_of(now().text);
                if (now().type != Token::Type::kWord || !id || *id != std::floor(*id) ||
                    std::fabs(*id) > 2147483647.0) {
                    expected("a list id");
                }
                test.list_id = static_cast<int32_t>(*id);
                ++at_;
            } else {
                test.device = name("a device name");
            }
        }
        if (scoped) {
            if (now().type != Token::Type::kColon) expected("':' after the list or device");
            ++at_;
        }
        const std::size_t name_column = now().column;
        test.name = name("a tag name, 'not' or '('");
        if (const std::string problem = receiver::pattern_problem(test.name); !problem.empty()) {
            throw Mistake{problem, name_column};
        }
        test.pattern = test.name.find_first_of("*?[") != std::string::npos;
        const Token &token = now();
        if (token.type == Token::Type::kOperator) {
            test.comparison = comparison();
            if (test.comparison == Comparison::kMatches) {
                const std::size_t column = now().column;
                test.literal.text = name("a shell-style pattern");
                if (const std::string problem = receiver::pattern_problem(test.literal.text);
                    !problem.empty()) {
                    throw Mistake{problem, column};
                }
            } else {
                test.literal = literal();
            }
        } else if (is_word("age")) {
            ++at_;
            test.kind = TestKind::kAge;
            test.comparison = ordering("age");
            test.duration = duration("age " + tokens_[at_ - 1].text);
        } else if (is_word("status")) {
            ++at_;
            test.kind = TestKind::kStatus;
            if (now().type == Token::Type::kOperator) {
                test.comparison = comparison();
                if (test.comparison != Comparison::kEqual &&
                    test.comparison != Comparison::kNotEqual) {
                    throw Mistake{"a status is compared with == or != alone",
                                  tokens_[at_ - 1].column};
                }
            }
            const std::size_t column = now().column;
            const std::optional<int32_t> code = status_of(name("a status: GOOD, BAD, a code"));
            if (!code) throw Mistake{"no status of that name", column};
            test.status = *code;
        } else if (is_word("changes")) {
            ++at_;
            test.kind = TestKind::kChanges;
        } else if (is_word("updates")) {
            ++at_;
            test.kind = TestKind::kUpdates;
            test.comparison = ordering("updates");
            const std::optional<double> count = number_of(now().text);
            if (now().type != Token::Type::kWord || !count || *count != std::floor(*count) ||
                *count < 0 || *count > 9e15) {
                expected("a count of updates");
            }
            test.count = static_cast<int64_t>(*count);
            ++at_;
        } else if (is_word("fresh")) {
            ++at_;
            test.kind = TestKind::kFresh;
            test.duration = duration("fresh");
        } else {
            expected("a comparison, ~, age, status, changes, updates or fresh after the name");
        }
        return test;
    }

    Comparison comparison() {
        static constexpr std::pair<std::string_view, Comparison> kOperators[] = {
            {"==", Comparison::kEqual},  {"!=", Comparison::kNotEqual},
            {"<", Comparison::kLess},    {"<=", Comparison::kLessOrEqual},
            {">", Comparison::kGreater}, {">=", Comparison::kGreaterOrEqual},
            {"~", Comparison::kMatches},
        };
        for (const auto &[text, comparison] : kOperators) {
            if (now().text == text) {
                ++at_;
                return comparison;
            }
        }
        expected("an operator");
    }

    // An operator that is not ~ after `word`.
    Comparison ordering(const std::string &word) {
        if (now().type != Token::Type::kOperator || now().text == "~") {
            expected("== != < <= > or >= after " + word);
        }
        return comparison();
    }

    Literal literal() {
        Literal value;
        if (now().type != Token::Type::kWord && now().type != Token::Type::kQuoted) {
            expected("a number or a text");
        }
        value.text = now().text;
        if (now().type == Token::Type::kWord) {
            if (const std::optional<double> number = number_of(value.text)) {
                value.is_number = true;
                value.number = *number;
            }
        }
        value.calendar_ms = calendar_of(value.text);
        ++at_;
        return value;
    }

    Milliseconds duration(const std::string &after) {
        if (now().type == Token::Type::kWord) {
            if (const std::optional<Milliseconds> length = parse_duration(now().text)) {
                ++at_;
                return *length;
            }
        }
        expected("a duration after " + after + " (500ms, 10s, 2m, 1h)");
    }

    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

ParseResult parse(const std::string &text, bool timing_allowed) {
    try {
        return {Parser(text).expression(timing_allowed, text), {}};
    } catch (const Mistake &mistake) {
        return {std::nullopt, mistake.what + " at column " + std::to_string(mistake.column) +
                                  ":\n  " + text + "\n  " + std::string(mistake.column - 1, ' ') +
                                  "^"};
    }
}

}  // namespace

std::optional<Milliseconds> parse_duration(const std::string &word) {
    static constexpr std::pair<std::string_view, double> kUnits[] = {
        {"ms", 0.001}, {"s", 1}, {"m", 60}, {"h", 3600}};
    const std::size_t digits = word.find_first_not_of("0123456789.");
    if (digits == 0 || digits == std::string::npos) return std::nullopt;
    const std::optional<double> number = number_of(word.substr(0, digits));
    if (!number) return std::nullopt;
    const std::string_view unit = std::string_view(word).substr(digits);
    for (const auto &[name, seconds] : kUnits) {
        if (unit == name && *number * seconds <= kLongestSeconds) {
            return Milliseconds(std::llround(*number * seconds * 1000));
        }
    }
    return std::nullopt;
}

bool is_sequence_check(const std::string &text) {
    std::istringstream words(text);
    std::string first, second, more;
    words >> first >> second;
    return !(words >> more) &&
           ((first == "no" && second == "gaps") || (first == "sequence" && second == "unbroken"));
}

ParseResult parse_expectation(const std::string &text) {
    return parse(text, true);
}

ParseResult parse_condition(const std::string &text) {
    return parse(text, false);
}

}  // namespace tavlo::expect
