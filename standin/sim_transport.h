// The in-process simulated device.
#pragma once

#include "device_name.h"
#include "plant.h"
#include "transport.h"

namespace tavlo::standin {

class SimTransport final : public Transport {
public:
    explicit SimTransport(const SimDeviceName &name);

    int32_t read(int64_t wait_ms, sim::MessageRecords &records) override;

private:
    int32_t interval_ms_;
    sim::Plant plant_;
    sim::Message message_;
    int64_t next_due_ms_;  // monotonic time the next message is due
};

}  // namespace tavlo::standin
