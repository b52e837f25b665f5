// A device reached over TCP, speaking the device link's wire protocol.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "clock.h"
#include "frame_reader.h"
#include "sockets.h"
#include "transport.h"

namespace tavlo::standin {

class TcpTransport final : public Transport {
public:
    // The names "host:port" and "[IPv6 address]:port".
    static bool recognises(std::string_view device);

    // Connects, then greets the device. Returns 0 and the transport, or an
    // error code.
    static int32_t open(std::string_view device, const std::string &app_id,
                        std::unique_ptr<Transport> &transport);

    // Over a socket already connected to the device: sends the hello with
    // the application id and waits for the device's welcome, which must be
    // of the version of the hello. Returns 0 and the transport, or an error
    // code.
    static int32_t greet(posix::UniqueSocket socket, const std::string &app_id,
                         std::unique_ptr<Transport> &transport);

    // Returns the next message; heartbeats only show the device is alive.
    // A device from which nothing has arrived, bytes waiting unread in the
    // socket included, for longer than the heartbeat allows is taken for
    // gone. Frames that arrived before the device closed are still read.
    int32_t read(std::chrono::milliseconds wait, records::MessageRecords &records) override;

private:
    explicit TcpTransport(posix::UniqueSocket socket);

    // Waits until `deadline` for bytes and takes them. Returns 0 when bytes
    // came, when none came by the deadline, or when the device closed the
    // link (peer_closed_ then says so); else an error code.
    int32_t receive(posix::Clock::Time deadline);

    posix::UniqueSocket socket_;
    wire::FrameReader reader_;
    posix::Clock::Time last_heard_;
    bool peer_closed_ = false;
};

}  // namespace tavlo::standin
