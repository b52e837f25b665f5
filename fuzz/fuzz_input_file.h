// The contents of a tag-list file, from fuzz input, as an open file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

struct FuzzFileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FuzzFile = std::unique_ptr<std::FILE, FuzzFileCloser>;

// A file that reads the `size` bytes at `data` (an empty file for none).
inline FuzzFile open_fuzz_file(const uint8_t *data, std::size_t size) {
    if (size == 0) return FuzzFile(std::fopen("/dev/null", "r"));
    return FuzzFile(fmemopen(const_cast<uint8_t *>(data), size, "r"));
}

// What the loaders print is not looked at.
inline void silence_stdout() {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
}
