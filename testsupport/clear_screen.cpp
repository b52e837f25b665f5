// Clearing the console screen through the command interpreter.
#include <cstdio>
#include <cstdlib>

#include "tavlo_testsupport.h"

extern "C" int clear_screen(void) {
    std::fflush(stdout);  // what was printed before goes out before the screen is cleared
    return std::system(TAVLO_CLEAR_COMMAND);
}
