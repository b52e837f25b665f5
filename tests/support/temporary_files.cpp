// Temporary files and folders for tests, removed when the object goes.
#include "temporary_files.h"

#include <stdlib.h>

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
