// The ways of reaching a device, one row each: a new transport is one file
// and one row.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "transport.h"

namespace tavlo::standin {

struct TransportRow {
    // Whether `device` is a name of this transport.
    bool (*recognises)(std::string_view device);
    // Opens the transport to `device`, a name it recognises, for the
    // application `app_id`. Returns 0 and the transport, or an error code.
    int32_t (*open)(std::string_view device, const std::string &app_id,
                    std::unique_ptr<Transport> &transport);
};

// The first row that recognises `device`, or nullptr.
const TransportRow *transport_for(std::string_view device);

}  // namespace tavlo::standin
