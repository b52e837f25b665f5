// How the reports reach their stream: one write for a whole report, and a
// field of 999,999,999 blanks in pieces of bounded size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "report_writer.h"
#include "tavlo_testsupport.h"
#include "value_lines.h"

namespace {

// A stream that keeps the first bytes written to it and counts them all:
// the writes, the bytes and the largest write; and sees whether all after
// the first `kKept` are blanks.
class CountingStream {
public:
    static constexpr std::size_t kKept = 64;

    CountingStream() {
        stream_ = fopencookie(this, "w", {nullptr, &CountingStream::write, nullptr, nullptr});
        std::setvbuf(stream_, nullptr, _IONBF, 0);
    }
    ~CountingStream() { std::fclose(stream_); }
    CountingStream(const CountingStream &) = delete;
    CountingStream &operator=(const CountingStream &) = delete;

    std::FILE *stream() const { return stream_; }

    std::size_t writes = 0;
    std::size_t bytes = 0;
    std::size_t largest_write = 0;
    bool only_blanks_after_kept = true;
    std::string kept;

private:
    static ssize_t write(void *cookie, const char *data, std::size_t size) {
        auto &self = *static_cast<CountingStream *>(cookie);
        ++self.writes;
        self.largest_write = std::max(self.largest_write, size);
        const std::size_t keep = std::min(size, kKept - std::min(self.bytes, kKept));
        self.kept.append(data, keep);
        static const std::string kBlanks(4096, ' ');
        for (std::size_t at = keep; at < size; at += kBlanks.size()) {
            const std::size_t piece = std::min(size - at, kBlanks.size());
            if (std::memcmp(data + at, kBlanks.data(), piece) != 0) {
                self.only_blanks_after_kept = false;
            }
        }
        self.bytes += size;
        return static_cast<ssize_t>(size);
    }

    std::FILE *stream_;
};

TEST(ReportWrites, TheLargestAsciiFieldIsPaddedInBoundedPieces) {
    CountingStream counting;
    const char value[] = "X";
    {
        tavlo::ts::ReportWriter out(counting.stream());
        tavlo::ts::write_value(out, TAVLO_TYPE_ASCII, 999999999,
                               reinterpret_cast<const unsigned char *>(value));
    }
    EXPECT_EQ(counting.bytes, 8u + 999999999u);
    EXPECT_EQ(counting.kept.substr(0, 9), "\nValue= X");
    EXPECT_EQ(counting.kept.find_first_not_of(' ', 9), std::string::npos);
    EXPECT_TRUE(counting.only_blanks_after_kept);
    EXPECT_LE(counting.largest_write, 65536u);
}

TEST(ReportWrites, AReportReachesStandardOutputInOneWrite) {
    const std::string names = "A" + std::string(39, '\0') + "B" + std::string(39, '\0');
    const TypeDescriptor descriptors[] = {{7, 0, 2, 1}, {4, 4, 4, 1}, {1, 1, 4, 1}};
    const unsigned char values[8] = {1, 0, 0, 0, 0, 0, 0xC0, 0x3F};
    const TagStatus statuses[] = {{-1, 0, 0}, {-3, 1, 2}};
    const TimeRecord timestamps[] = {{0, 0}, {5, 3600}};
    CountingStream counting;
    tag_name_stride = 40;
    std::FILE *const standard_output = stdout;
    stdout = counting.stream();
    print_tag_values(names.data(), descriptors, values, statuses, timestamps, 2);
    print_tag_status(&statuses[1]);
    stdout = standard_output;
    EXPECT_EQ(counting.writes, 2u);
    EXPECT_EQ(counting.kept.substr(0, 30), "\nTagname [1]: A\nType: LONG  De");
}

}  // namespace
