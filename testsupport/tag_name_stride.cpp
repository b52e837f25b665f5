// The process-wide width of one entry of the current tag-name array.
#include "tavlo_testsupport.h"

extern "C" {
int32_t tag_name_stride = 0;
}
