// A device reached over TCP, speaking the device link's wire protocol.
#pragma once

#include <memory>
#include <string>

#include "device_name.h"
#include "frame_reader.h"
#include "transport.h"

namespace tavlo::standin {

class TcpTransport final : public Transport {
public:
    // Connects, sends the hello with the application id and waits for the
    // device's welcome. Returns 0 and the transport, or an error code.
    static int32_t open(const TcpDeviceName &name, const std::string &app_id,
                        std::unique_ptr<Transport> &transport);

    ~TcpTransport() override;

    // Returns the next message; heartbeats only show the device is alive.
    // A device silent for longer than the heartbeat allows is taken for
    // gone. Frames that arrived before the device closed are still read.
    int32_t read(int64_t wait_ms, sim::MessageRecords &records) override;

private:
    explicit TcpTransport(int fd);

    // Waits up to `wait_ms` for bytes and takes them. Returns 0 when bytes
    // came, or there were none within the wait, or an error code.
    int32_t receive(int64_t wait_ms);

    int fd_;
    wire::FrameReader reader_;
    int64_t last_heard_ms_;
    bool peer_closed_ = false;
};

}  // namespace tavlo::standin
