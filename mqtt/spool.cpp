// The on-disk queue of MQTT messages not yet confirmed by the broker.
//
// A segment file is named after the index of its first record, in 20
// digits, with ".msgs". A record is the topic's size and the payload's size
// (4 bytes each, in this machine's order), then the topic, then the payload.
// The file "position" holds the index of the first message still waiting,
// in decimal; it is written at most a few times a second, so after a SIGKILL
// the messages confirmed just before are sent once more.
#include "spool.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavlo::mqtt {

namespace {

constexpr uint64_t kSegmentMessages = 4096;
constexpr std::size_t kHeaderSize = 8;
constexpr uint32_t kLongestTopic = 65535;
constexpr uint32_t kLongestPayload = 268435455;  // the most an MQTT packet carries
constexpr std::size_t kNameDigits = 20;
// The least the sending side reads from a segment at once.
constexpr std::size_t kReadAhead = 256 * 1024;
constexpr char kSegmentSuffix[] = ".msgs";

std::string error_text(const std::string &what) {
    return what + ": " + std::strerror(errno);
}

// Makes the folder and its parents; false with errno set when it cannot.
bool make_folders(const std::string &path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

bool read_fully(int fd, void *bytes, std::size_t size, uint64_t offset) {
    auto *at = static_cast<char *>(bytes);
    while (size > 0) {
        const ssize_t got = pread(fd, at, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<uint64_t>(got);
    }
    return true;
}

bool write_fully(int fd, const char *bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t put = write(fd, bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

struct RecordSizes {
    uint32_t topic = 0;
    uint32_t payload = 0;
    uint64_t total() const { return kHeaderSize + uint64_t{topic} + payload; }
};

// The sizes of the record at `offset`, when a whole record of sane sizes
// is there in a file of `file_size` bytes.
bool read_sizes(int fd, uint64_t offset, uint64_t file_size, RecordSizes &sizes) {
    char header[kHeaderSize];
    if (file_size - offset < kHeaderSize || !read_fully(fd, header, sizeof header, offset)) {
        return false;
    }
    std::memcpy(&sizes.topic, header, 4);
    std::memcpy(&sizes.payload, header + 4, 4);
    return sizes.topic <= kLongestTopic && sizes.payload <= kLongestPayload &&
           sizes.total() <= file_size - offset;
}

// The index a segment's file name gives, when it is one.
bool segment_index(const char *name, uint64_t &index) {
    const std::size_t length = std::strlen(name);
    if (length != kNameDigits + std::strlen(kSegmentSuffix) ||
        std::strcmp(name + kNameDigits, kSegmentSuffix) != 0) {
        return false;
    }
    uint64_t value = 0;
    for (std::size_t k = 0; k < kNameDigits; ++k) {
        if (name[k] < '0' || name[k] > '9') return false;
        const auto digit = static_cast<uint64_t>(name[k] - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    index = value;
    return true;
}

}  // namespace

std::unique_ptr<Spool> Spool::open(const std::string &folder, const QueueBound &bound,
                                   std::string &problem) {
    if (!make_folders(folder)) {
        problem = error_text("cannot make the spool folder " + folder);
        return nullptr;
    }
    const std::string lock_path = folder + "/lock";
    const int lock_fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd < 0) {
        problem = error_text("cannot open " + lock_path);
        return nullptr;
    }
    if (flock(lock_fd, LOCK_EX | LOCK_NB) != 0) {
        problem = errno == EWOULDBLOCK
                      ? "the spool folder " + folder + " is in use by another tavlo_t_receiver"
                      : error_text("cannot lock " + lock_path);
        close(lock_fd);
        return nullptr;
    }
    std::unique_ptr<Spool> spool(new Spool(folder, bound, lock_fd));
    problem = spool->load();
    if (!problem.empty()) return nullptr;
    return spool;
}

Spool::Spool(std::string folder, const QueueBound &bound, int lock_fd)
    : folder_(std::move(folder)), bound_(bound), lock_fd_(lock_fd) {}

Spool::~Spool() {
    save_position();
    if (write_fd_ >= 0) close(write_fd_);
    if (read_fd_ >= 0) close(read_fd_);
    close(lock_fd_);
}

std::string Spool::segment_path(uint64_t first) const {
    char name[kNameDigits + sizeof kSegmentSuffix];
    std::snprintf(name, sizeof name, "%020llu%s", static_cast<unsigned long long>(first),
                  kSegmentSuffix);
    return folder_ + "/" + name;
}

// Reads the segments an earlier run left: a record cut short at the end of
// a file is taken off, and files are renamed where an index is missing, so
// that the indices follow each other.
std::string Spool::load() {
    DIR *dir = opendir(folder_.c_str());
    if (dir == nullptr) return error_text("cannot read the spool folder " + folder_);
    std::vector<uint64_t> found;
    std::vector<uint32_t> sizes_found;  // of every record, from the first segment's first
    while (const dirent *entry = readdir(dir)) {
        uint64_t index = 0;
        if (segment_index(entry->d_name, index)) found.push_back(index);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());

    uint64_t position = 0;
    if (std::FILE *file = std::fopen((folder_ + "/position").c_str(), "r")) {
        unsigned long long value = 0;
        if (std::fscanf(file, "%llu", &value) == 1) position = value;
        std::fclose(file);
    }
    for (const uint64_t first : found) {
        const std::string path = segment_path(first);
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        struct stat status {};
        if (fd < 0 || fstat(fd, &status) != 0) {
            if (fd >= 0) close(fd);
            return error_text("cannot read " + path);
        }
        Segment segment{first, 0, 0};
        const auto size = static_cast<uint64_t>(status.st_size);
        RecordSizes sizes;
        while (read_sizes(fd, segment.bytes, size, sizes)) {
            sizes_found.push_back(static_cast<uint32_t>(sizes.total()));
            segment.bytes += sizes.total();
            ++segment.count;
        }
        const bool cut =
            segment.bytes < size && ftruncate(fd, static_cast<off_t>(segment.bytes)) != 0;
        close(fd);
        if (cut) return error_text("cannot take a damaged record off " + path);
        if (segment.count == 0) {
            unlink(path.c_str());
            continue;
        }
        const uint64_t expected =
            segments_.empty() ? first : segments_.back().first + segments_.back().count;
        if (expected != first) {
            if (rename(path.c_str(), segment_path(expected).c_str()) != 0) {
                return error_text("cannot renumber " + path);
            }
            segment.first = expected;
        }
        segments_.push_back(segment);
    }
    if (segments_.empty()) {
        first_ = next_ = position;
    } else {
        next_ = segments_.back().first + segments_.back().count;
        first_ = std::clamp(position, segments_.front().first, next_);
        sizes_.assign(
            sizes_found.begin() + static_cast<std::ptrdiff_t>(first_ - segments_.front().first),
            sizes_found.end());
        for (const uint32_t record : sizes_) kept_bytes_ += record;
    }
    left_by_earlier_ = next_ - first_;
    while (past_bound()) drop_oldest();
    send_ = first_;
    remove_used_segments();
    return {};
}

std::string Spool::start_segment() {
    const std::string path = segment_path(next_);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return error_text("cannot make " + path);
    if (write_fd_ >= 0) close(write_fd_);
    write_fd_ = fd;
    segments_.push_back({next_, 0, 0});
    return {};
}

bool Spool::append(std::string_view topic, std::string_view payload, std::string &problem) {
    if (topic.size() > kLongestTopic || payload.size() > kLongestPayload) {
        problem = "a message too long for MQTT";
        return false;
    }
    const RecordSizes sizes{static_cast<uint32_t>(topic.size()),
                            static_cast<uint32_t>(payload.size())};
    std::string record(kHeaderSize, '\0');
    std::memcpy(record.data(), &sizes.topic, 4);
    std::memcpy(record.data() + 4, &sizes.payload, 4);
    record.append(topic).append(payload);

    const std::lock_guard<std::mutex> lock(mutex_);
    if (write_fd_ < 0 || segments_.back().count >= kSegmentMessages) {
        problem = start_segment();
        if (!problem.empty()) return false;
    }
    Segment &segment = segments_.back();
    if (!write_fully(write_fd_, record.data(), record.size())) {
        problem = error_text("cannot write to the spool in " + folder_);
        // A record cut short would hide the ones after it.
        if (ftruncate(write_fd_, static_cast<off_t>(segment.bytes)) != 0) {
            close(write_fd_);
            write_fd_ = -1;
        }
        return false;
    }
    segment.bytes += record.size();
    ++segment.count;
    ++next_;
    sizes_.push_back(static_cast<uint32_t>(record.size()));
    kept_bytes_ += record.size();
    while (past_bound()) drop_oldest();
    return true;
}

bool Spool::past_bound() const {
    const uint64_t kept = next_ - first_ - confirmed_ahead_.size();
    return kept > bound_.messages || (bound_.bytes > 0 && kept_bytes_ > bound_.bytes && kept > 1);
}

// first_ is never confirmed (advance_first() moves past those).
void Spool::drop_oldest() {
    kept_bytes_ -= sizes_.front();
    pop_first();
    ++dropped_;
    advance_first();
    if (send_ < first_) send_ = first_;
    remove_used_segments();
}

void Spool::pop_first() {
    sizes_.pop_front();
    ++first_;
}

void Spool::advance_first() {
    while (!confirmed_ahead_.empty() && *confirmed_ahead_.begin() == first_) {
        confirmed_ahead_.erase(confirmed_ahead_.begin());
        pop_first();
    }
}

void Spool::remove_used_segments() {
    while (segments_.size() > 1 && segments_.front().first + segments_.front().count <= first_) {
        unlink(segment_path(segments_.front().first).c_str());
        segments_.erase(segments_.begin());
    }
}

bool Spool::next_to_send(SpooledMessage &message) {
    const std::lock_guard<std::mutex> lock(mutex_);
    while (send_ < next_) {
        const uint64_t index = send_++;
        if (confirmed_ahead_.count(index) != 0) continue;
        if (read_at_cursor(message)) {
            message.index = index;
            return true;
        }
        // A record that cannot be read back is gone: counted as dropped.
        ++dropped_;
        release(index);
    }
    return false;
}

// `size` bytes of the read segment at `offset`, from the read buffer,
// which is filled with a large read when it does not hold them; null when
// the file does not.
const char *Spool::bytes_at(uint64_t offset, std::size_t size, uint64_t file_size) {
    if (offset < buffer_offset_ || offset + size > buffer_offset_ + buffer_.size()) {
        const uint64_t wanted = std::min<uint64_t>(std::max(size, kReadAhead), file_size - offset);
        if (wanted < size) return nullptr;
        buffer_.resize(static_cast<std::size_t>(wanted));
        buffer_offset_ = offset;
        if (!read_fully(read_fd_, buffer_.data(), buffer_.size(), offset)) {
            buffer_.clear();
            return nullptr;
        }
    }
    return buffer_.data() + (offset - buffer_offset_);
}

// Reads the record of index send_ - 1; false when it cannot be read back.
bool Spool::read_at_cursor(SpooledMessage &message) {
    const uint64_t index = send_ - 1;
    const auto after = std::upper_bound(
        segments_.begin(), segments_.end(), index,
        [](uint64_t value, const Segment &segment) { return value < segment.first; });
    if (after == segments_.begin()) return false;
    const Segment &segment = *(after - 1);
    if (read_segment_ != segment.first || read_index_ > index) {
        if (read_fd_ >= 0) close(read_fd_);
        read_fd_ = ::open(segment_path(segment.first).c_str(), O_RDONLY | O_CLOEXEC);
        read_segment_ = segment.first;
        read_index_ = segment.first;
        read_offset_ = 0;
        buffer_.clear();
        if (read_fd_ < 0) {
            read_segment_ = UINT64_MAX;
            return false;
        }
    }
    RecordSizes sizes;
    for (;;) {
        const char *header = bytes_at(read_offset_, kHeaderSize, segment.bytes);
        if (header == nullptr) return false;
        std::memcpy(&sizes.topic, header, 4);
        std::memcpy(&sizes.payload, header + 4, 4);
        if (sizes.topic > kLongestTopic || sizes.payload > kLongestPayload ||
            sizes.total() > segment.bytes - read_offset_) {
            return false;
        }
        if (read_index_ == index) break;
        read_offset_ += sizes.total();
        ++read_index_;
    }
    const char *record =
        bytes_at(read_offset_, static_cast<std::size_t>(sizes.total()), segment.bytes);
    if (record == nullptr) return false;
    message.topic.assign(record + kHeaderSize, sizes.topic);
    message.payload.assign(record + kHeaderSize + sizes.topic, sizes.payload);
    read_offset_ += sizes.total();
    ++read_index_;
    return true;
}

void Spool::confirmed(uint64_t index) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (index >= first_ && index < next_ && release(index)) ++confirmations_;
}

bool Spool::release(uint64_t index) {
    if (index != first_) {
        if (!confirmed_ahead_.insert(index).second) return false;
        kept_bytes_ -= sizes_[index - first_];
        return true;
    }
    kept_bytes_ -= sizes_.front();
    pop_first();
    advance_first();
    remove_used_segments();
    return true;
}

void Spool::rewind() {
    const std::lock_guard<std::mutex> lock(mutex_);
    send_ = first_;
}

void Spool::save_position() {
    uint64_t first = 0;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        first = first_;
    }
    if (first == saved_first_) return;
    const std::string path = folder_ + "/position";
    const std::string temporary = path + ".new";
    std::FILE *file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) return;
    const bool written = std::fprintf(file, "%llu\n", static_cast<unsigned long long>(first)) > 0;
    if (std::fclose(file) == 0 && written && rename(temporary.c_str(), path.c_str()) == 0) {
        saved_first_ = first;
    }
}

uint64_t Spool::waiting() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return next_ - first_ - confirmed_ahead_.size();
}

uint64_t Spool::dropped() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

uint64_t Spool::confirmations() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return confirmations_;
}

uint64_t Spool::left_by_earlier() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return left_by_earlier_;
}

}  // namespace tavlo::mqtt
