// The data-type and device-data-type keywords of tag-list files.
#include "keyword_table.h"
#include "tavlo_testsupport.h"

using tavlo::ts::Keyword;
using tavlo::ts::lookup_keyword;

namespace {

const Keyword kDataTypes[] = {
    {"REAL", TAVLO_TYPE_REAL}, {"SHORT", TAVLO_TYPE_SHORT},   {"ASCII", TAVLO_TYPE_ASCII},
    {"LONG", TAVLO_TYPE_LONG}, {"DOUBLE", TAVLO_TYPE_DOUBLE}, {"TIME", TAVLO_TYPE_TIME},
};

const Keyword kDeviceDataTypes[] = {
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

}  // namespace

extern "C" int32_t data_type_from_keyword(const char *token) {
    return lookup_keyword(kDataTypes, token);
}

extern "C" int32_t device_data_type_from_keyword(const char *token) {
    return lookup_keyword(kDeviceDataTypes, token);
}
