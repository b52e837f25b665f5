// The ways of reaching a device, one row each: a new transport is one file
// and one row.
#include "transport_table.h"

#include "sim_transport.h"
#include "tcp_transport.h"

namespace tavlo::standin {

namespace {

// Tried in order; a name no row recognises is an unknown device.
const TransportRow kTransports[] = {
    {SimTransport::recognises, SimTransport::open},  // sim, sim:N, sim:N:T
    {TcpTransport::recognises, TcpTransport::open},  // host:port, [IPv6 address]:port
};

}  // namespace

const TransportRow *transport_for(std::string_view device) {
    for (const TransportRow &row : kTransports) {
        if (row.recognises(device)) return &row;
    }
    return nullptr;
}

}  // namespace tavlo::standin
