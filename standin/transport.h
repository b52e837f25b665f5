// The small interface every way of reaching a device implements, and the
// stand-in client library's own facility and error codes that it returns.
#pragma once

#include <chrono>
#include <cstdint>

#include "message_records.h"

namespace tavlo::standin {

// Facility of every error the library records itself.
constexpr int32_t kFacility = 20;

enum Error : int32_t {
    kNotInitialised = 20001,  // connect or read before a successful init
    kBadArgument = 20002,     // missing argument, or a name empty or over 31 characters
    kUnknownDevice = 20003,   // the device name is none the library accepts
    kNotConnected = 20004,    // read without a connection
    kNoMessage = 20005,       // no message arrived within the read's wait
    kInterrupted = 20006,     // a signal cut the wait short
    kOutOfMemory = 20007,     // a message could not be stored
    kConnectFailed = 20008,   // the device's address could not be reached
    kConnectionLost = 20009,  // the device closed the link, or fell silent
    kBadFrame = 20010,        // the device sent a frame that breaks the protocol
    kRefused = 20011,         // the device refused the protocol version
};

// Whether an error of a read ends the connection: the next connect then
// makes a new one.
inline bool ends_connection(int32_t code) {
    return code == kConnectionLost || code == kBadFrame || code == kRefused;
}

class Transport {
public:
    virtual ~Transport() = default;

    // Waits at most `wait` for the next message and lays it out in
    // `records`. Returns 0, or an error code of the library's facility.
    virtual int32_t read(std::chrono::milliseconds wait, records::MessageRecords &records) = 0;
};

}  // namespace tavlo::standin
