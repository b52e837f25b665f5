// Helpers of the tag-list tests: the files they write, and the records as
// the loaders leave them.
#include "tag_list_test_files.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

#include "unique_fd.h"

namespace tavlo::testing {

TagListFile::TagListFile(const std::string &content) {
    char path[] = "/tmp/tavlo_tag_list_XXXXXX";
    const posix::UniqueFd fd(mkstemp(path));
    if (!fd) throw std::runtime_error("cannot create a tag-list file");
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(fd.get(), content.data() + written, content.size() - written);
        if (n <= 0) {
            std::remove(path);
            throw std::runtime_error("cannot write a tag-list file");
        }
        written += static_cast<std::size_t>(n);
    }
    path_ = path;
}

TagListFile::~TagListFile() {
    std::remove(path_.c_str());
}

StatusBlock dirty_block() {
    StatusBlock block;
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block.facility[i] = 77;
        block.error[i] = 5;
    }
    return block;
}

std::vector<int32_t> entries_of(const StatusBlock &block) {
    std::vector<int32_t> entries(block.facility, block.facility + TAVLO_STATUS_ENTRIES);
    entries.insert(entries.end(), block.error, block.error + TAVLO_STATUS_ENTRIES);
    return entries;
}

std::vector<int32_t> cleared_entries() {
    std::vector<int32_t> entries(TAVLO_STATUS_ENTRIES, 0);
    entries.insert(entries.end(), TAVLO_STATUS_ENTRIES, -1);
    return entries;
}

std::vector<int32_t> failed_entries(int32_t code) {
    std::vector<int32_t> entries = cleared_entries();
    entries[0] = 10;
    entries[TAVLO_STATUS_ENTRIES] = code;
    return entries;
}

std::string compact_entry(const std::string &name) {
    std::string entry = name.substr(0, 39);
    entry.resize(39, ' ');
    return entry + '\0';
}

std::string full_entry(const std::string &name, char fill) {
    std::string entry = name.substr(0, 255);
    entry.resize(255, fill);
    return entry + '\0';
}

}  // namespace tavlo::testing
