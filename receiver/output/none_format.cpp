// The format that shows nothing on standard output: for a run that only
// publishes (--mqtt), records or counts. The receiver's own lines go to
// standard error.
#include "output_format.h"

namespace tavlo::receiver {

namespace {

class NoneFormat final : public OutputFormat {
public:
    std::FILE *notes() const override { return stderr; }

    std::optional<int32_t> show(const ReceivedMessage &message,
                                const TagSelection &selection) override {
        return selection.shown == nullptr ? message.tags().count : selection.count;
    }

    void connect_failed(const char *device, const StatusBlock &) override {
        std::fprintf(stderr, "Error connecting to %s\n", device);
    }
};

}  // namespace

std::unique_ptr<OutputFormat> make_none_format() {
    return std::make_unique<NoneFormat>();
}

}  // namespace tavlo::receiver
