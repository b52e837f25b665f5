// The small interface every way of reaching a device implements.
#pragma once

#include <chrono>
#include <cstdint>

#include "message_records.h"

namespace tavlo::standin {

class Transport {
public:
    virtual ~Transport() = default;

    // Waits at most `wait` for the next message and lays it out in
    // `records`. Returns 0, or an error code of the library's facility.
    virtual int32_t read(std::chrono::milliseconds wait, records::MessageRecords &records) = 0;
};

}  // namespace tavlo::standin
