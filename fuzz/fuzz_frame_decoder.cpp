// Fuzz target: a byte stream from a device, cut into frames and decoded as
// the client library does. The first byte sets the size of the pieces the
// stream arrives in.
#include <cstddef>
#include <cstdint>

#include "frame_reader.h"
#include "handshake.h"
#include "message_codec.h"
#include "wire_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = data[0] == 0 ? size : data[0];
    ++data;
    --size;
    tavlo::wire::FrameReader reader;
    tavlo::records::MessageRecords records;
    for (std::size_t at = 0; at < size; at += piece) {
        reader.append(data + at, piece < size - at ? piece : size - at);
        tavlo::wire::Frame frame;
        for (auto status = reader.next(frame); status == tavlo::wire::FrameReader::Status::kFrame;
             status = reader.next(frame)) {
            switch (frame.type) {
                case tavlo::wire::kMessage:
                    tavlo::wire::decode_message(frame.payload, frame.length, records);
                    break;
                case tavlo::wire::kHello:
                    tavlo::wire::decode_hello(frame.payload, frame.length);
                    break;
                case tavlo::wire::kWelcome:
                    tavlo::wire::decode_welcome(frame.payload, frame.length);
                    break;
                default: break;
            }
        }
    }
    return 0;
}
