// Prints one tag through the installed test-support library.
#include <cstring>

#include "tavlo_testsupport.h"

int main() {
    char names[256] = "INSTALLED";
    const TagStatus status{-3, 1, 2};
    tag_name_stride = 256;
    print_tag_values(names, nullptr, nullptr, &status, nullptr, 1);
    return 0;
}
