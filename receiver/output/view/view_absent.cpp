// The live view in a build without ncurses: the option is refused.
#include "output_format.h"

namespace tavlo::receiver {

std::string view_unavailable() {
    return "is not built in: ncurses was not found when this receiver was built";
}

// Never made: view_unavailable() stops the command line first.
std::unique_ptr<OutputFormat> make_view_format() {
    return nullptr;
}

}  // namespace tavlo::receiver
