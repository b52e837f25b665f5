// Texts of the stand-in client library's own error codes.
#include "errors.h"

namespace tavlo::standin {

const char *error_text(int32_t code) {
    switch (code) {
        case kNotInitialised: return "client side not initialised";
        case kBadArgument: return "missing or malformed argument";
        case kUnknownDevice: return "unknown device name";
        case kNotConnected: return "not connected to a device";
        case kNoMessage: return "no message within the wait";
        case kInterrupted: return "wait interrupted by a signal";
        case kOutOfMemory: return "out of memory";
        case kConnectFailed: return "cannot connect to the device";
        case kConnectionLost: return "connection to the device lost";
        case kBadFrame: return "malformed frame from the device";
        case kRefused: return "protocol version refused by the device";
        default: return nullptr;
    }
}

}  // namespace tavlo::standin
