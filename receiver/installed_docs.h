// Where the documents of the receiver are to be read.
#pragma once

#include <string>

namespace tavlo::receiver {

// The path of the JSON output's document: in the installation that holds
// this program (PREFIX/share/doc/tavlo-tools/json-output.md for a program
// in PREFIX/bin, the Debian package's and cmake --install's layout alike);
// for a program that no installation holds, the copy in the source tree it
// was built from, while that is there.
std::string json_output_document();

}  // namespace tavlo::receiver
