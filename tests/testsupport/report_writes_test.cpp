// How the reports reach their stream: one write for a whole report, and a
// field of 999,999,999 blanks in pieces of bounded size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "report_lines.h"
#include "tavlo_testsupport.h"

namespace {

// An unbuffered stream that counts its writes and bytes, keeps the first
// 64 bytes and sees whether all after them are blanks.
struct CountingStream {
    std::size_t writes = 0, bytes = 0, largest_write = 0;
    std::string first;
    bool blanks_after_first = true;
    std::FILE *stream = fopencookie(this, "w", {nullptr, &CountingStream::write, nullptr, nullptr});

    CountingStream() { std::setvbuf(stream, nullptr, _IONBF, 0); }
    ~CountingStream() { std::fclose(stream); }

    static ssize_t write(void *cookie, const char *data, std::size_t size) {
        static const std::string kBlanks(4096, ' ');
        auto &self = *static_cast<CountingStream *>(cookie);
        const std::size_t kept = std::min(size, 64 - std::min<std::size_t>(self.bytes, 64));
        self.first.append(data, kept);
        for (std::size_t at = kept; at < size; at += kBlanks.size()) {
            const std::size_t piece = std::min(size - at, kBlanks.size());
            self.blanks_after_first &= std::memcmp(data + at, kBlanks.data(), piece) == 0;
        }
        ++self.writes;
        self.bytes += size;
        self.largest_write = std::max(self.largest_write, size);
        return static_cast<ssize_t>(size);
    }
};

TEST(ReportWrites, TheLargestAsciiFieldIsPaddedInBoundedPieces) {
    CountingStream counting;
    {
        tavlo::ts::ReportWriter out(counting.stream);
        tavlo::ts::write_value(out, TAVLO_TYPE_ASCII, 999999999,
                               reinterpret_cast<const unsigned char *>("X"));
    }
    EXPECT_EQ(counting.bytes, 8u + 999999999u);
    EXPECT_EQ(counting.first, "\nValue= X" + std::string(55, ' '));
    EXPECT_TRUE(counting.blanks_after_first);
    EXPECT_LE(counting.largest_write, 65536u);
}

TEST(ReportWrites, EachReportReachesStandardOutputInOneWrite) {
    const std::string names = "A" + std::string(39, '\0') + "B" + std::string(39, '\0');
    const TypeDescriptor descriptors[] = {{7, 0, 2, 1}, {4, 4, 4, 1}, {1, 1, 4, 1}};
    const unsigned char values[8] = {1, 0, 0, 0, 0, 0, 0xC0, 0x3F};
    const TagStatus statuses[] = {{-1, 0, 0}, {-3, 1, 2}};
    const TimeRecord timestamps[] = {{0, 0}, {5, 3600}};
    CountingStream counting;
    tag_name_stride = 40;
    std::FILE *const standard_output = stdout;
    stdout = counting.stream;
    print_tag_values(names.data(), descriptors, values, statuses, timestamps, 2);
    print_tag_status(&statuses[1]);
    stdout = standard_output;
    EXPECT_EQ(counting.writes, 2u);
    EXPECT_EQ(counting.first.substr(0, 26), "\nTagname [1]: A\nType: LONG");
}

}  // namespace
