// Temporary files and folders for tests, removed when the object goes.
#include "temporary_files.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace tavlo::testing {

namespace {

std::string temporary_root() {
    const char *root = std::getenv("TMPDIR");
    return root != nullptr && *root != '\0' ? root : "/tmp";
}

}  // namespace

posix::UniqueFd unlinked_file(const std::string &content) {
    std::string path = temporary_root() + "/tavlo_XXXXXX";
    posix::UniqueFd fd(mkostemp(path.data(), O_CLOEXEC));
    if (!fd) throw std::system_error(errno, std::generic_category(), "mkostemp " + path);
    unlink(path.c_str());
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(fd.get(), content.data() + written, content.size() - written);
        if (n <= 0) throw std::runtime_error("cannot write a temporary file");
        written += static_cast<std::size_t>(n);
    }
    if (lseek(fd.get(), 0, SEEK_SET) != 0) throw std::runtime_error("cannot rewind a file");
    return fd;
}

TemporaryDirectory::TemporaryDirectory(const std::string &stem) {
    std::string pattern = temporary_root() + "/" + stem + "_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    }
    path_ = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryDirectory::write(const std::string &name, const std::string &content) const {
    const std::string path = file(name);
    std::ofstream out(path, std::ios::binary);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
    return path;
}

TemporaryFile::TemporaryFile(const std::string &content, const std::string &stem)
    : directory_(stem), path_(directory_.write(stem, content)) {}

std::string read_file(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace tavlo::testing
