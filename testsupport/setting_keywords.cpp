// The output-type and deadband-type keywords of tag-list files.
#include "setting_keywords.h"

#include "keyword_table.h"
#include "tavlo.h"

namespace tavlo::ts {

namespace {

const Keyword kOutputTypes[] = {{"GOOD", TAVLO_OUTPUT_GOOD},
                                {"NAN", TAVLO_OUTPUT_NAN},
                                {"NONE", TAVLO_OUTPUT_NONE},
                                {"SUSPECT", TAVLO_OUTPUT_SUSPECT}};

const Keyword kDeadbandTypes[] = {{"ABS", TAVLO_DEADBAND_ABSOLUTE},
                                  {"REL", TAVLO_DEADBAND_RELATIVE}};

}  // namespace

int32_t output_type_from_keyword(const char *token) {
    return lookup_keyword(kOutputTypes, token);
}

int32_t deadband_type_from_keyword(const char *token) {
    return lookup_keyword(kDeadbandTypes, token);
}

}  // namespace tavlo::ts
