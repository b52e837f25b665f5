// Values of a tag-list file, converted and appended to the packed buffer.
#include "packed_values.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "tavlo.h"

namespace tavlo::ts {

namespace {

// Copies the value's bytes to `cursor`; values need no alignment there.
template <typename T>
int32_t put(const T &value, unsigned char *cursor) {
    std::memcpy(cursor, &value, sizeof value);
    return static_cast<int32_t>(sizeof value);
}

}  // namespace

int32_t append_value(int32_t data_type, const char *token, int32_t length, unsigned char *cursor) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: {
            float value = 0;
            std::sscanf(token, "%f", &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_SHORT: {
            int16_t value = 0;
            std::sscanf(token, "%" SCNd16, &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_ASCII:
            std::memcpy(cursor, token, static_cast<std::size_t>(length));
            return length;
        case TAVLO_TYPE_LONG: {
            int32_t value = 0;
            std::sscanf(token, "%" SCNd32, &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_DOUBLE: {
            double value = 0;
            std::sscanf(token, "%lf", &value);
            return put(value, cursor);
        }
        default: {  // TAVLO_TYPE_TIME
            TimeRecord value{0, 0};
            std::sscanf(token, "%" SCNd32, &value.seconds);
            return put(value, cursor);
        }
    }
}

}  // namespace tavlo::ts
