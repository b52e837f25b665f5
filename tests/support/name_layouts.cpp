// Tag-name arrays in the layouts of the client library.
#include "name_layouts.h"

namespace tavlo::testing {

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

std::string compact_names(const std::vector<std::string> &entries, std::size_t count) {
    std::string names;
    for (const std::string &entry : entries) names += entry;
    names.resize(count * 256, ' ');
    return names;
}

std::string compact_layout(const std::vector<std::string> &names, std::size_t count) {
    std::vector<std::string> entries;
    for (const std::string &name : names) entries.push_back(compact_entry(name));
    return compact_names(entries, count);
}

}  // namespace tavlo::testing
