// The keywords of the device data types, as tag-list files and script files
// write them, and the shape of a keyword table row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tavlo.h"

namespace tavlo::records {

// One row of a keyword table: the word and the code it stands for.
struct Keyword {
    std::string_view word;
    int32_t code;
};

// REAL ... DESC for the device data types 1 to 6 and 8 to 15 (STRUCTURE has
// no keyword). The first kDataTypeKeywords rows are the data types.
inline constexpr Keyword kTypeKeywords[] = {
    {"REAL", TAVLO_TYPE_REAL},
    {"SHORT", TAVLO_TYPE_SHORT},
    {"ASCII", TAVLO_TYPE_ASCII},
    {"LONG", TAVLO_TYPE_LONG},
    {"DOUBLE", TAVLO_TYPE_DOUBLE},
    {"TIME", TAVLO_TYPE_TIME},
    {"ENUM", TAVLO_TYPE_ENUMERATION},
    {"ORDINAL", TAVLO_TYPE_ORDINAL},
    {"DTIME", TAVLO_TYPE_DELTA_TIME},
    {"EXTID", TAVLO_TYPE_EXTERNAL_IDENTIFIER},
    {"CBAW", TAVLO_TYPE_CONTROL_BLOCK_ANTI_WINDUP},
    {"CBST", TAVLO_TYPE_CONTROL_BLOCK_STATUS},
    {"EU", TAVLO_TYPE_ENGINEERING_UNIT},
    {"DESC", TAVLO_TYPE_DESCRIPTION},
};
inline constexpr std::size_t kDataTypeKeywords = 6;

}  // namespace tavlo::records
