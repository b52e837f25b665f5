// A device's or a tag's name for a line on standard error.
#include "printable_name.h"

namespace tavlo::accounting {

std::string printable_name(std::string_view name) {
    std::string text(name);
    for (char &c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return text;
}

}  // namespace tavlo::accounting
