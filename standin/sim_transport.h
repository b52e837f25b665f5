// The in-process simulated device.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "clock.h"
#include "plant.h"
#include "transport.h"
#include "transport_table.h"

namespace tavlo::standin {

class SimTransport final : public Transport {
public:
    // The names "sim", "sim:N" and "sim:N:T".
    static bool recognises(std::string_view device);
    static int32_t open(std::string_view device, const std::string &app_id,
                        std::unique_ptr<Transport> &transport);

    explicit SimTransport(const SimDeviceName &name);

    int32_t read(std::chrono::milliseconds wait, records::MessageRecords &records) override;

private:
    posix::Clock::Duration interval_;
    sim::Plant plant_;
    records::Message message_;
    posix::Clock::Time next_due_;  // when the next message is due
};

}  // namespace tavlo::standin
