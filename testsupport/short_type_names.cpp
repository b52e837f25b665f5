// The short type-name table: 6-character names of the type codes -1 to 28.
#include "tavlo_testsupport.h"

namespace {
constexpr int32_t kFirstCode = -1;
const char *const kShortTypeNames[] = {"INVDT ", "?0?   ", "REAL  ", "SHORT ", "ASCII ", "LONG  ",
                                       "DOUBLE", "TIME  ", "STRUCT", "ENUM  ", "ORDINA", "DTIME ",
                                       "EXTID ", "CBAW  ", "CBST  ", "EU    ", "DESC  ", "USHORT",
                                       "ULONG ", "QREAL ", "QSHORT", "QLONG ", "QDOUBL", "ASC24 ",
                                       "TOLERA", "QUALIT", "BIT   ", "3BCD  ", "4BCD  ", "BLOCK "};
constexpr int32_t kNameCount = sizeof kShortTypeNames / sizeof kShortTypeNames[0];
static_assert(kNameCount == 30, "codes -1 to 28");
}  // namespace

extern "C" const char *short_type_name(int32_t code) {
    if (code < kFirstCode || code >= kFirstCode + kNameCount) return nullptr;
    return kShortTypeNames[code - kFirstCode];
}
