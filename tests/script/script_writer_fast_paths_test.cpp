// The script writer's quick ways to its text give the bytes of the general
// ones: whole numbers as std::to_chars writes them, REAL and DOUBLE values
// as the shortest text std::to_chars finds, and a read kept as a copy as
// the read itself.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "message_batch.h"
#include "name_tokens.h"
#include "script_words.h"
#include "script_writer.h"
#include "value_text.h"

namespace {

using tavlo::script::TextBuffer;

template <typename T>
std::string to_chars_text(T value) {
    char text[64];
    return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

TEST(ScriptWriterFastPaths, WholeNumbersAreWrittenAsToCharsWritesThem) {
    std::vector<int64_t> numbers = {0,
                                    -1,
                                    9,
                                    10,
                                    -10,
                                    99,
                                    100,
                                    -101,
                                    std::numeric_limits<int64_t>::min(),
                                    std::numeric_limits<int64_t>::max(),
                                    std::numeric_limits<int32_t>::min()};
    for (int64_t power = 1; power <= std::numeric_limits<int64_t>::max() / 10; power *= 10) {
        for (const int64_t n : {power - 1, power, power + 1}) {
            numbers.insert(numbers.end(), {n, -n});
        }
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 10000; ++i) numbers.push_back(static_cast<int64_t>(random()) >> (i % 64));
    for (const int64_t n : numbers) {
        TextBuffer text;
        tavlo::script::append_number(text, n);
        ASSERT_EQ(text.view(), to_chars_text(n)) << n;
    }
}

// The value text of a REAL (4 bytes) or DOUBLE (8) after its two type words.
template <typename T>
void expect_shortest_text(T value) {
    const int16_t type = sizeof(T) == 4 ? TAVLO_TYPE_REAL : TAVLO_TYPE_DOUBLE;
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof value);
    TextBuffer text;
    tavlo::script::append_type_and_value(text, type, type, bytes, sizeof value);
    const std::string_view line = text.view();
    ASSERT_EQ(line.substr(line.rfind(' ') + 1), to_chars_text(value)) << line;
}

TEST(ScriptWriterFastPaths, RealAndDoubleValuesAreTheShortestTextThatReadsBack) {
    std::vector<double> values = {0.0,     -0.0,      0.5,       1e-5,      99999.0,    99999.5,
                                  1e5,     100001.0,  1023.9375, 1024.0625, -1023.9375, 1e-300,
                                  1.5e300, 0.1,       1.0 / 3,   65504.0,   16777217.0, 2.0e-45,
                                  3.4e38,  12345.678, -0.0625,   50000.0};
    // Sixteenths about the bounds of the quick way, and whole numbers.
    // (beyond 16384 a REAL's steps are coarse enough for a shorter text).
    for (int k = -300000; k <= 300000; k += 3) values.push_back(k / 16.0);
    for (int k = 95000; k <= 105000; ++k) values.insert(values.end(), {double(k), -double(k)});
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isnan(value)) values.push_back(value);
        values.push_back(std::ldexp(static_cast<double>(bits % 4096), -int(bits % 8)));
    }
    for (const double value : values) {
        expect_shortest_text(value);
        const auto single = static_cast<float>(value);
        if (!std::isnan(single)) expect_shortest_text(single);
        if (testing::Test::HasFatalFailure()) return;
    }
}

// A read as the receiver hands it to its writer, in arrays of its own.
// Its tags share a status and a timestamp in runs, as a device's mostly do.
struct Arrays {
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;

    tavlo::script::ReadMessage read(int32_t stride) const {
        tavlo::script::ReadMessage read;
        read.kind = TAVLO_MSG_UNSOLICITED;
        read.device = "PLANT";
        read.count = static_cast<int32_t>(statuses.size());
        read.names = names.data();
        read.name_stride = stride;
        read.descriptors = descriptors.data();
        read.values = values.data();
        read.statuses = statuses.data();
        read.timestamps = timestamps.data();
        return read;
    }
};

Arrays arrays_of(int tags, int32_t stride, int value_size) {
    Arrays a;
    a.descriptors.push_back({TAVLO_TYPE_STRUCTURE, 0, tags, 1});
    for (int k = 0; k < tags; ++k) {
        std::string entry = "T" + std::to_string(k % 100);
        entry.resize(static_cast<std::size_t>(stride) - 1, ' ');
        a.names += entry + '\0';
        a.descriptors.push_back({TAVLO_TYPE_ASCII, 14, value_size, 1});
        for (int i = 0; i < value_size; ++i)
            a.values.push_back(static_cast<unsigned char>('a' + k % 26));
        a.statuses.push_back({-1, 0, k / 3});
        a.timestamps.push_back({k / 2 % 1000, 1700000000 + k / 4});
    }
    return a;
}

std::string text_of(const tavlo::script::ReadMessage &read) {
    TextBuffer text;
    tavlo::script::append_message(text, read);
    return std::string(text.view());
}

TEST(ScriptWriterFastPaths, ReadsKeptInABatchWriteAsTheReads) {
    const Arrays large = arrays_of(300, 256, 40);
    const Arrays small = arrays_of(2, 40, 3);
    // The same list, names of the same size, one byte other: not shared.
    Arrays renamed = small;
    renamed.names[1] = 'X';
    std::vector<tavlo::script::ReadMessage> reads = {small.read(40), renamed.read(40),
                                                     small.read(40)};
    for (const auto &[arrays, stride] :
         {std::pair{&large, 256}, std::pair{&small, 40}, std::pair{&large, 256}}) {
        reads.push_back(arrays->read(stride));
        // Null arrays and device; odd sizes that leave the next record
        // unaligned unless the batch aligns it.
        tavlo::script::ReadMessage bare = reads.back();
        bare.names = nullptr;
        bare.values = nullptr;
        bare.device = nullptr;
        reads.push_back(bare);
    }
    tavlo::script::MessageBatch batch;
    // Kept for the next batch, and given back: the same each time.
    for (const std::size_t keep : {std::size_t{1} << 30, std::size_t{0}, std::size_t{0}}) {
        for (const auto &read : reads) batch.add(read);
        ASSERT_EQ(batch.size(), reads.size());
        for (std::size_t i = 0; i < reads.size(); ++i) {
            const tavlo::script::ReadMessage kept = batch.read(i);
            EXPECT_EQ(text_of(kept), text_of(reads[i])) << i;
            EXPECT_EQ(reinterpret_cast<uintptr_t>(kept.descriptors) % alignof(TypeDescriptor), 0u);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(kept.statuses) % alignof(TagStatus), 0u);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(kept.timestamps) % alignof(TimeRecord), 0u);
        }
        batch.clear(keep);
        EXPECT_EQ(batch.size(), 0u);
    }
}

TEST(ScriptWriterFastPaths, NamesKeptFromMessageToMessageWriteAsNamesMadeAnew) {
    const Arrays small = arrays_of(3, 40, 2);
    Arrays renamed = small;  // one byte other in the middle of the list
    renamed.names[41] = 'X';
    Arrays longer = small;  // a last name that fills its entry
    longer.names.replace(80, 39, std::string(39, 'L'));
    const Arrays large = arrays_of(300, 256, 1);  // more than a list kept may hold
    const Arrays wide = arrays_of(3, 256, 2);     // short names in full entries
    std::vector<tavlo::script::ReadMessage> reads;
    const auto add = [&](const Arrays &arrays, int32_t stride, int32_t list_id) {
        reads.push_back(arrays.read(stride));
        reads.back().list_id = list_id;
    };
    for (int round = 0; round < 2; ++round) {
        add(small, 40, 1);
        add(renamed, 40, 1);
        add(small, 40, 1);
        add(longer, 40, 1);
        add(wide, 256, 1);  // the same list in the other layout
        add(wide, 40, 3);   // a caller that steps by less than the entries:
        add(wide, 256, 3);  // the same first bytes, other names
        add(small, 40, 1);
        add(small, 40, 2);
        add(large, 256, 2);
        add(small, 40, 2);
        for (int32_t list = 100; list < 120; ++list) add(list % 2 != 0 ? small : renamed, 40, list);
        add(small, 40, 1);
        reads.push_back(reads.back());
        reads.back().names = nullptr;
        reads.push_back(reads.back());
        reads.back().count = 2;  // fewer tags of the same list
        reads.back().names = small.names.data();
    }
    tavlo::script::NameTokens kept;
    for (std::size_t i = 0; i < reads.size(); ++i) {
        TextBuffer text;
        tavlo::script::append_message(text, reads[i], kept);
        ASSERT_EQ(text.view(), text_of(reads[i])) << i;
    }
}

}  // namespace
