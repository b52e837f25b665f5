// The text format: the text report of every message of the five kinds it
// knows, a header and the tag value report, and the receiver's own lines,
// all on standard output.
#include <algorithm>
#include <string_view>

#include "output_format.h"
#include "tavlo_testsupport.h"

namespace tavlo::receiver {

namespace {

constexpr std::string_view kPlusRow = "++++++++++++++++++++++++++++++++++++++++";

// The row of plus signs, the title and the device line.
void write_header(ts::ReportWriter &out, const ReceivedMessage &message) {
    const std::string_view title = message.kind.title;
    out.text("\n");
    out.text(kPlusRow.substr(0, title.size()));
    out.text("\n\n");
    out.text(title);
    out.text("\nDevice: ");
    if (message.view.device != nullptr) out.text(message.view.device);
    out.text(" Unit:   ");
    out.integer(message.view.unit);
    out.text(" ListID: ");
    out.integer(message.view.list_id);
    out.text("\n");
}

class TextFormat final : public OutputFormat {
public:
    std::FILE *notes() const override { return stdout; }

    std::optional<int32_t> show(const ReceivedMessage &message,
                                const TagSelection &selection) override {
        if (message.kind.title.empty()) return std::nullopt;
        const records::MessageView tags = message.tags();
        const int32_t reported = ts::reported_tags(tags);
        if (selection.shown == nullptr) {
            // The whole message: the library's own report.
            {
                ts::ReportWriter out(stdout);
                write_header(out, message);
            }
            print_tag_values(tags.names, tags.descriptors, tags.values, tags.statuses,
                             tags.timestamps, tags.count);
            return std::max(reported, 0);
        }
        int32_t shown = 0;
        for (int32_t k = 0; k < reported; ++k) shown += selection.includes(k) ? 1 : 0;
        if (shown == 0) return std::nullopt;
        ts::ReportWriter out(stdout);
        write_header(out, message);
        ts::write_tag_blocks(out, tags, selection.shown);
        return shown;
    }

    void connect_failed(const char *device, const StatusBlock &) override {
        ts::ReportWriter out(stdout);
        out.text("\nError connecting to ");
        out.text(device);
    }
};

}  // namespace

std::unique_ptr<OutputFormat> make_text_format() {
    return std::make_unique<TextFormat>();
}

}  // namespace tavlo::receiver
