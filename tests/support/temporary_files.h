// Temporary files and folders for tests, made in $TMPDIR (else /tmp) and
// removed with all they hold when the object goes.
#pragma once

#include <string>

#include "unique_fd.h"

namespace tavlo::testing {

class TemporaryDirectory {
public:
    // A new folder named after `stem`.
    explicit TemporaryDirectory(const std::string &stem = "tavlo");
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory &) = delete;
    TemporaryDirectory &operator=(const TemporaryDirectory &) = delete;

    const std::string &path() const { return path_; }

    // The path of `name` in the folder.
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    // Writes `content` to the file `name` in the folder; returns its path.
    std::string write(const std::string &name, const std::string &content) const;

private:
    std::string path_;
};

// A file holding `content`, alone in a temporary folder.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string &content, const std::string &stem = "tavlo");

    const std::string &path() const { return path_; }

private:
    TemporaryDirectory directory_;
    std::string path_;
};

// An open file holding `content`, read from its start, whose name is gone
// already: nothing is left behind when it closes.
posix::UniqueFd unlinked_file(const std::string &content);

// The whole content of a file; empty when it cannot be read.
std::string read_file(const std::string &path);

}  // namespace tavlo::testing
