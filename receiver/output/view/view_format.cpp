// The live view: a full-screen table of the tags on the terminal, one row a
// tag, kept current; drawn at most ten times a second however fast the
// messages come, so that reading goes on at full speed.
#include <chrono>
#include <cstdio>
#include <string>

#include "link_status.h"
#include "output_format.h"
#include "screen.h"
#include "stderr_capture.h"
#include "tag_table.h"

namespace tavlo::receiver {

namespace {

constexpr std::chrono::milliseconds kDrawInterval{100};

class ViewFormat final : public OutputFormat {
public:
    // The receiver's own lines go to standard error, and reach the terminal
    // after the view has ended.
    std::FILE *notes() const override { return stderr; }

    void start(const char *device) override {
        device_ = device;
        capture_.start();
        if (!screen_.open()) {
            capture_.stop();
            std::fprintf(stderr, "tavlo_t_receiver: --view: the terminal cannot be used\n");
            quit_ = true;
        }
    }

    void arrived(const ReceivedMessage &message) override {
        link_.message_came(message.received, view::Clock::now());
    }

    std::optional<int32_t> show(const ReceivedMessage &message,
                                const TagSelection &selection) override {
        if (message.kind.title.empty()) return std::nullopt;  // as in the text report
        return table_.take(message, selection, view::Clock::now());
    }

    void dim_stale_after(std::chrono::milliseconds quiet) override { screen_.dim_after(quiet); }

    void connect_failed(const char *, const StatusBlock &block) override {
        link_.failed(block);
        connect_failed_ = true;
    }

    // A read after a failed connect fails for want of a connection: the
    // connect's failure is the one to show.
    void read_failed(const StatusBlock &block) override {
        if (!connect_failed_) link_.failed(block);
    }

    bool tick() override {
        connect_failed_ = false;  // a new pass of the loop begins
        if (quit_) return false;
        const auto now = view::Clock::now();
        if (now < next_draw_) return true;
        next_draw_ = now + kDrawInterval;
        capture_.drain([this](std::string_view line) {
            if (!line.empty()) link_.logged(line);
        });
        if (!screen_.read_keys(table_.size())) {
            quit_ = true;
            return false;
        }
        const view::Header header{device_,         link_.state(),        link_.error(),
                                  link_.rate(now), link_.last_message(), table_.tags_left_out()};
        screen_.draw(header, table_, now);
        return true;
    }

    void end() override {
        screen_.close();
        capture_.stop();
    }

private:
    std::string device_;
    view::TagTable table_;
    view::LinkStatus link_;
    view::StderrCapture capture_;
    view::Screen screen_;
    view::Clock::time_point next_draw_{};
    bool quit_ = false;
    bool connect_failed_ = false;  // in this pass of the loop
};

}  // namespace

std::unique_ptr<OutputFormat> make_view_format() {
    return std::make_unique<ViewFormat>();
}

std::string view_unavailable() {
    return view::Screen::unavailable();
}

}  // namespace tavlo::receiver
