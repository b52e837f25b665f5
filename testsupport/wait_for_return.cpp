// A pause until RETURN is pressed.
#include <cstdio>

#include "tavlo_testsupport.h"

extern "C" int wait_for_return(void) {
    std::fputs("\n\nPlease press RETURN to continue...", stdout);
    std::fflush(stdout);
    return std::getchar();
}
