// The words and numbers of a script, both ways.
#include "script_words.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

#include "plain_fields.h"

namespace tavlo::script {

namespace {

struct Keyword {
    std::string_view word;
    int32_t code;
};

constexpr Keyword kKinds[] = {{"GET", TAVLO_MSG_GET_REPLY},
                              {"PUT", TAVLO_MSG_PUT_REPLY},
                              {"DECLARE", TAVLO_MSG_DECLARE_REPLY},
                              {"CANCEL", TAVLO_MSG_CANCEL_REPLY},
                              {"UNSOLICITED", TAVLO_MSG_UNSOLICITED}};
constexpr Keyword kTypes[] = {{"REAL", 1},   {"SHORT", 2},  {"ASCII", 3}, {"LONG", 4},
                              {"DOUBLE", 5}, {"TIME", 6},   {"ENUM", 8},  {"ORDINAL", 9},
                              {"DTIME", 10}, {"EXTID", 11}, {"CBAW", 12}, {"CBST", 13},
                              {"EU", 14},    {"DESC", 15}};

constexpr int64_t kLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMost32 = std::numeric_limits<int32_t>::max();

// The keywords of a table by their length and first and last letters, in
// a table of places with each keyword at the first free place from its own.
class KeywordIndex {
public:
    template <std::size_t N>
    explicit KeywordIndex(const Keyword (&table)[N]) : table_(table) {
        static_assert(N < kPlaces / 2, "half the places stay free, so that a search ends soon");
        places_.fill(-1);
        for (std::size_t i = 0; i < N; ++i) {
            std::size_t place = place_of(table[i].word);
            while (places_[place] >= 0) place = (place + 1) % kPlaces;
            places_[place] = static_cast<int8_t>(i);
        }
    }

    const Keyword *find(std::string_view word) const {
        if (word.empty()) return nullptr;
        for (std::size_t place = place_of(word); places_[place] >= 0;
             place = (place + 1) % kPlaces) {
            const Keyword &k = table_[places_[place]];
            if (same_word(k.word, word)) return &k;
        }
        return nullptr;
    }

private:
    static constexpr std::size_t kPlaces = 64;
    // A keyword is a few letters, compared in two loads that overlap when
    // it is shorter than twice their size: shorter than a call to memcmp.
    static bool same_word(std::string_view keyword, std::string_view word) {
        const std::size_t size = word.size();
        if (keyword.size() != size) return false;
        const char *const k = keyword.data();
        const char *const w = word.data();
        if (size > 16) return keyword == word;
        if (size >= 8) return same<uint64_t>(k, w) && same<uint64_t>(k + size - 8, w + size - 8);
        if (size >= 4) return same<uint32_t>(k, w) && same<uint32_t>(k + size - 4, w + size - 4);
        if (size >= 2) return same<uint16_t>(k, w) && same<uint16_t>(k + size - 2, w + size - 2);
        return k[0] == w[0];
    }
    template <typename T>
    static bool same(const char *a, const char *b) {
        T x;
        T y;
        std::memcpy(&x, a, sizeof x);
        std::memcpy(&y, b, sizeof y);
        return x == y;
    }
    static std::size_t place_of(std::string_view word) {
        return (word.size() * 8 + static_cast<unsigned char>(word.front()) +
                static_cast<unsigned char>(word.back()) * 3) %
               kPlaces;
    }

    const Keyword *table_;
    std::array<int8_t, kPlaces> places_{};
};

const KeywordIndex kKindIndex(kKinds);

// The type keywords, each of up to 7 bytes packed in a word, at places
// that a multiply and a shift of the word find without collisions: a
// lookup is one load and one compare.
class PackedKeywords {
public:
    template <std::size_t N>
    constexpr explicit PackedKeywords(const Keyword (&table)[N]) {
        static_assert(N <= kPlaces, "a place for each keyword");
        // The first multiplier, of those tried, that puts each at its own place.
        for (uint64_t multiplier = 0x9e3779b97f4a7c15u;; multiplier += 0x2545f4914f6cdd1du) {
            multiplier_ = multiplier | 1;
            for (Place &place : places_) place = Place{};
            bool apart = true;
            for (const Keyword &k : table) {
                Place &place = places_[place_of(packed(k.word))];
                if (place.word != 0) apart = false;
                place = Place{packed(k.word), k.code};
            }
            if (apart) break;
        }
    }

    // The code of the keyword packed in `word`, or -1.
    int32_t find(uint64_t word) const {
        const Place &place = places_[place_of(word)];
        return place.word == word ? place.code : -1;
    }

    static constexpr uint64_t packed(std::string_view word) {
        uint64_t bytes = 0;
        for (std::size_t i = 0; i < word.size() && i < 8; ++i) {
            bytes |= uint64_t{static_cast<unsigned char>(word[i])} << (8 * i);
        }
        return packed_word(bytes, word.size());
    }

private:
    static constexpr std::size_t kPlaces = 32;
    struct Place {
        uint64_t word = 0;  // no packed word is 0: its length is not
        int32_t code = -1;
    };
    constexpr std::size_t place_of(uint64_t word) const {
        return static_cast<std::size_t>((word * multiplier_) >> 59);
    }

    uint64_t multiplier_ = 0;
    std::array<Place, kPlaces> places_{};
};

constexpr PackedKeywords kTypeKeywords(kTypes);

std::optional<int32_t> code_of(std::string_view word, const KeywordIndex &index, int64_t low,
                               int64_t high) {
    if (const Keyword *keyword = index.find(word)) return keyword->code;
    if (const auto number = whole_number(word, low, high)) return static_cast<int32_t>(*number);
    return std::nullopt;
}

constexpr std::size_t kLongestKeyword = 11;  // "UNSOLICITED"

template <std::size_t N>
constexpr std::size_t longest(const Keyword (&table)[N]) {
    std::size_t most = 0;
    for (const Keyword &k : table) most = std::max(most, k.word.size());
    return most;
}

// The keywords of a table by their codes, which are small; each is copied
// in one move of its room.
class WordsByCode {
public:
    template <std::size_t N>
    explicit WordsByCode(const Keyword (&table)[N]) {
        for (const Keyword &k : table) {
            Word &word = words_.at(static_cast<std::size_t>(k.code));
            std::memcpy(word.bytes, k.word.data(), k.word.size());
            word.size = static_cast<uint8_t>(k.word.size());
        }
    }

    // The keyword of `code`, else its number.
    void append(TextBuffer &line, int32_t code) const {
        const auto place = static_cast<std::size_t>(code);
        if (place < words_.size() && words_[place].size > 0) {
            const Word &word = words_[place];
            char *at = line.room(sizeof word.bytes);
            std::memcpy(at, word.bytes, sizeof word.bytes);
            line.commit(at + word.size);
        } else {
            append_number(line, code);
        }
    }

private:
    struct Word {
        char bytes[kLongestKeyword] = {};
        uint8_t size = 0;
    };
    std::array<Word, 16> words_{};
};

static_assert(longest(kKinds) <= kLongestKeyword && longest(kTypes) <= kLongestKeyword);
static_assert(longest(kTypes) < kLongestPacked, "each type keyword packs in a word");

const WordsByCode kKindWords(kKinds);
const WordsByCode kTypeWords(kTypes);

}  // namespace

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int64_t> whole_number(std::string_view text, int64_t low, int64_t high) {
    // A plus sign may lead, as strtoll() has it.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    // The plain digits of a script in one pass; from_chars() takes the rest
    // (long runs of leading zeros) and turns down what is no number.
    int64_t value = 0;
    PlainFields plain(text);
    if (plain.whole(low, high, value) && plain.ended()) return value;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<int32_t> kind_of(std::string_view word) {
    return code_of(word, kKindIndex, kLeast32, kMost32);
}

void append_kind(TextBuffer &line, MessageKind kind) {
    kKindWords.append(line, kind);
}

int32_t type_keyword(uint64_t word) {
    return kTypeKeywords.find(word);
}

std::optional<int32_t> type_of(std::string_view word, int64_t low, int64_t high) {
    if (word.size() < kLongestPacked && !word.empty()) {
        const int32_t code = kTypeKeywords.find(PackedKeywords::packed(word));
        if (code >= 0) return code;
    }
    if (const auto number = whole_number(word, low, high)) return static_cast<int32_t>(*number);
    return std::nullopt;
}

void append_type(TextBuffer &line, int32_t code) {
    kTypeWords.append(line, code);
}

std::optional<TimeRecord> time_of(std::string_view text) {
    // Plain digits, as recorded, in one pass.
    TimeRecord time{};
    PlainFields plain(text);
    if (plain.time(time) && plain.ended()) return time;
    const auto dot = text.find('.');
    const auto seconds = whole_number(text.substr(0, dot), kLeast32, kMost32);
    if (!seconds) return std::nullopt;
    time = TimeRecord{0, static_cast<int32_t>(*seconds)};
    if (dot == std::string_view::npos) return time;
    const std::string_view millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    time.milliseconds = static_cast<int32_t>(*ms);
    return time;
}

bool time_has_text(const TimeRecord &time) {
    return time.milliseconds >= 0 && time.milliseconds <= 999;
}

namespace {

// ".MMM" after the seconds of a time, or nothing for 0 milliseconds.
void append_milliseconds(TextBuffer &line, int ms) {
    if (ms == 0) return;
    char *at = line.room(4);
    at[0] = '.';
    at[1] = static_cast<char>('0' + ms / 100);
    at[2] = static_cast<char>('0' + ms / 10 % 10);
    at[3] = static_cast<char>('0' + ms % 10);
    line.commit(at + 4);
}

}  // namespace

void append_time(TextBuffer &line, const TimeRecord &time) {
    append_number(line, time.seconds);
    append_milliseconds(line, time.milliseconds);
}

std::optional<int64_t> received_time_of(std::string_view text) {
    constexpr int64_t kMostSeconds = (int64_t{1} << 53) / 1000;
    const auto dot = text.find('.');
    const auto seconds = whole_number(text.substr(0, dot), -kMostSeconds, kMostSeconds);
    if (!seconds) return std::nullopt;
    if (dot == std::string_view::npos) return *seconds * 1000;
    const std::string_view millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    return *seconds * 1000 + *ms;
}

void append_received_time(TextBuffer &line, int64_t milliseconds) {
    // Seconds rounded down, so that the milliseconds after them are 0 to 999.
    const int64_t seconds =
        milliseconds >= 0 ? milliseconds / 1000 : -((999 - milliseconds) / 1000);
    append_number(line, seconds);
    append_milliseconds(line, static_cast<int>(milliseconds - seconds * 1000));
}

std::optional<std::size_t> hex_bytes(std::string_view text, unsigned char *out, std::size_t room) {
    if (text.size() % 2 != 0 || text.size() / 2 > room) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit(text[i]);
        const int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i / 2] = static_cast<unsigned char>(high * 16 + low);
    }
    return text.size() / 2;
}

void append_hex(TextBuffer &line, const unsigned char *bytes, std::size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    char *at = line.room(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        *at++ = kHex[bytes[i] >> 4];
        *at++ = kHex[bytes[i] & 0xf];
    }
    line.commit(at);
}

void append_number(TextBuffer &line, int64_t number) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    constexpr std::size_t kDigits = 20;  // and a sign
    char *at = line.room(kDigits);
    if (number < 0) *at++ = '-';
    // The magnitude of the least number too, in unsigned arithmetic.
    uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : uint64_t(number);
    // The digits from the bits: log10(2) is about 1233 / 4096, which gives
    // one digit short at most, which the power of ten mends.
    static constexpr uint64_t kPowers[] = {1,
                                           10,
                                           100,
                                           1000,
                                           10000,
                                           100000,
                                           1000000,
                                           10000000,
                                           100000000,
                                           1000000000,
                                           10000000000,
                                           100000000000,
                                           1000000000000,
                                           10000000000000,
                                           100000000000000,
                                           1000000000000000,
                                           10000000000000000,
                                           100000000000000000,
                                           1000000000000000000,
                                           10000000000000000000u};
    const auto bits = static_cast<std::size_t>(64 - __builtin_clzll(magnitude | 1));
    const std::size_t floor_log = bits * 1233 >> 12;
    const std::size_t digits =
        std::max<std::size_t>(1, floor_log + (magnitude >= kPowers[floor_log] ? 1 : 0));
    char *end = at + digits;
    // Two digits at a time from the last.
    for (; magnitude >= 100; magnitude /= 100) {
        end -= 2;
        std::memcpy(end, kPairs + 2 * (magnitude % 100), 2);
    }
    if (magnitude >= 10) {
        std::memcpy(end - 2, kPairs + 2 * magnitude, 2);
    } else {
        end[-1] = static_cast<char>('0' + magnitude);
    }
    line.commit(at + digits);
}

}  // namespace tavlo::script
