// Where the documents of the receiver are to be read.
#include "installed_docs.h"

#include <filesystem>
#include <system_error>

namespace tavlo::receiver {

namespace fs = std::filesystem;

std::string json_output_document() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    const fs::path installed =
        program.parent_path().parent_path() / TAVLO_TOOLS_DOC_DIR / "json-output.md";
    const fs::path source = fs::path(TAVLO_SOURCE_DOCS_DIR) / "json-output.md";
    if (!error && fs::exists(installed, error)) return installed.string();
    if (fs::exists(source, error)) return source.string();
    return installed.string();
}

}  // namespace tavlo::receiver
