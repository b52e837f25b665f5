// The receiver: start-up, the connect-and-read loop and the shutdown.
#include "receiver.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "block_listings.h"
#include "clock.h"
#include "message_output.h"
#include "metrics_publisher.h"
#include "mqtt_publishing.h"
#include "record_sizes.h"
#include "recording.h"
#include "report_output.h"
#include "tavlo_testsupport.h"

namespace tavlo::receiver {

namespace {

// A device name or application id: at most 31 characters and a NUL.
constexpr auto kFieldSize = static_cast<std::size_t>(records::kNameField);
// First argument of every read.
constexpr int32_t kReadArgument = 50;
// The client library's code of a read that found no message within its
// wait: the one failed read that is no news.
constexpr int32_t kLibraryFacility = 20;
constexpr int32_t kNoMessage = 20005;
// Its code of a read made without a connection.
constexpr int32_t kNotConnected = 20004;

// Copies at most 32 characters, fills the rest with NUL, then makes the
// last byte NUL.
void copy_field(char (&field)[kFieldSize], const char *text) {
    const std::size_t length = strnlen(text, kFieldSize);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, kFieldSize - length);
    field[kFieldSize - 1] = '\0';
}

bool is_no_message(const StatusBlock &block) {
    return block.facility[0] == kLibraryFacility && block.error[0] == kNoMessage;
}

bool is_not_connected(const StatusBlock &block) {
    return block.facility[0] == kLibraryFacility && block.error[0] == kNotConnected;
}

metrics::ExpectationState state_of(expect::Outcome outcome) {
    switch (outcome) {
        case expect::Outcome::kOpen: break;
        case expect::Outcome::kPassed: return metrics::ExpectationState::kPassed;
        case expect::Outcome::kFailed: return metrics::ExpectationState::kFailed;
    }
    return metrics::ExpectationState::kPending;
}

// Where the expectations stand, for the metrics.
std::vector<metrics::ExpectationFigure> expectation_figures(const expect::RunJudgement &judgement,
                                                            const MessageOutput &output) {
    std::vector<metrics::ExpectationFigure> figures;
    for (expect::Standing &standing : judgement.standings(output.accounting().total_missing())) {
        figures.push_back({std::move(standing.expression), state_of(standing.outcome)});
    }
    return figures;
}

// The figures of the metrics that the accounting does not keep; `mqtt` is
// null without --mqtt and before its start.
metrics::RunFigures figures_now(const MessageOutput &output, const mqtt::MqttPublishing *mqtt,
                                std::vector<metrics::ExpectationFigure> expectations = {}) {
    metrics::RunFigures figures;
    figures.expectations = std::move(expectations);
    for (std::size_t k = 0; k < figures.kind_names.size(); ++k) {
        figures.kind_names[k] = k < kOtherKinds ? kMessageKinds[k].name : "other";
    }
    figures.output_bytes = report_output_bytes();
    figures.stale_tags = output.stale_tags();
    if (mqtt != nullptr) figures.mqtt = mqtt->delivery();
    return figures;
}

// The out-parameters of a read, kept from pass to pass so that the pointers
// one read returns are handed back to the library on the next.
struct ReadSlots {
    MessageKind kind = 0;
    char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t count = 0;
    int32_t sequence = 0;
    char *names = nullptr;
    void *slot9 = nullptr;
    TypeDescriptor *descriptors = nullptr;
    void *values = nullptr;
    TagStatus *statuses = nullptr;
    TimeRecord *timestamps = nullptr;
    int32_t slot14 = 0;
    void *slot15 = nullptr;
};

// The message a read returned, its names stepped through by `name_stride`.
records::MessageView view_of(const ReadSlots &slots, int32_t name_stride) {
    return {slots.kind,        slots.device,
            slots.unit,        slots.list_id,
            slots.sequence,    slots.count,
            slots.names,       name_stride,
            slots.descriptors, static_cast<const unsigned char *>(slots.values),
            slots.statuses,    slots.timestamps};
}

struct Fields {
    char device[kFieldSize] = {};
    char app_id[kFieldSize] = "TAVLOUNSOL";
};

// The connect-and-read loop. It ends at a stop, when the live view's user
// quits or the expectations end the run, after --count messages shown, or
// when the report or the recording cannot be written.
int receive_messages(const Options &options, Fields &fields, StatusBlock &main_block,
                     StatusBlock &log_block, MessageOutput &output, expect::RunJudgement &judgement,
                     metrics::MetricsPublisher &publisher, const mqtt::MqttPublishing *mqtt) {
    ReadSlots slots;
    int64_t shown = 0;
    while (!stop_requested() && output.tick() && judgement.tick()) {
        // The figures are made only when the metrics are due.
        if (publisher.due()) {
            publisher.publish(output.accounting(),
                              figures_now(output, mqtt, expectation_figures(judgement, output)));
        }
        tag_name_stride = records::kFullNameStride;
        TAVLO_CLIENT_CONNECT(fields.device, &main_block);
        // A connect that a stop cut short is no failure to report.
        if (stop_requested()) break;
        const bool connect_failed = failed(main_block);
        if (connect_failed) {
            output.connect_failed(fields.device, main_block);
            if (!flush_report_output()) break;
            TAVLO_CLIENT_LOGBLK(fields.app_id, &main_block, &log_block);
        }
        TAVLO_CLIENT_READ(kReadArgument, &slots.kind, &slots.device, &slots.unit, &slots.list_id,
                          &slots.count, &slots.sequence, &slots.names, &slots.slot9,
                          &slots.descriptors, &slots.values, &slots.statuses, &slots.timestamps,
                          &slots.slot14, &slots.slot15, &main_block);
        if (failed(main_block)) {
            if (stop_requested()) break;
            if (!is_no_message(main_block)) {
                output.read_failed(main_block);
                // A read without the connection that just failed repeats
                // that failure: its entry is logged once, for the connect.
                if (!(connect_failed && is_not_connected(main_block))) {
                    TAVLO_CLIENT_LOGBLK(fields.app_id, &main_block, &log_block);
                }
            }
            continue;
        }
        const auto received = posix::clock_in_use().calendar_now();
        tag_name_stride = name_stride_of_read(slots.names);
        const ReceivedMessage message(view_of(slots, tag_name_stride), received);
        if (!record_message(message)) break;
        // The message that ends the run by --until or --fail-fast is shown.
        const bool judged_on = judgement.take(message);
        if (output.show(message)) {
            if (!flush_report_output()) break;
            if (options.count && ++shown >= *options.count) break;
        }
        if (!judged_on) break;
    }
    const bool count_missed = options.count && shown < *options.count;
    return stop_reason() == StopReason::kTimeout && count_missed ? kExitCountNotReached
                                                                 : kExitStopped;
}

// The loop's status, or what the expectations made of the run.
int judged_status(int status, expect::RunOutcome outcome) {
    switch (outcome) {
        case expect::RunOutcome::kNothingRead: return kExitNothingRead;
        case expect::RunOutcome::kFailed: return kExitExpectationFailed;
        case expect::RunOutcome::kNotJudged:
        case expect::RunOutcome::kPassed: break;
    }
    return status;
}

void shut_down(std::FILE *notes) {
    StatusBlock exit_block;
    TAVLO_SERVER_INITBLK(&exit_block);
    std::fprintf(notes, "\nClosing Tavlo Connections.\n\n");
    flush_report_output();
    TAVLO_CLIENT_EXIT(&exit_block);
    if (failed(exit_block)) {
        print_exit_error_listing(notes, exit_block);
        // On standard error the listing ends its line, as every line there.
        if (notes != stdout) std::fputc('\n', notes);
    }
}

// With --mqtt, opens the spool and connects to the broker, and hands every
// message shown to it.
int start_mqtt(const Options &options, MessageOutput &output,
               std::unique_ptr<mqtt::MqttPublishing> &mqtt) {
    if (options.mqtt.url.empty()) return kExitStopped;
    mqtt::StartProblem problem = mqtt::StartProblem::kNone;
    mqtt = mqtt::start_publishing(options.mqtt, options.device, problem);
    if (problem == mqtt::StartProblem::kRefused) return kExitMqttRefused;
    if (!mqtt) return kExitUsage;
    output.also_to(mqtt.get());
    return kExitStopped;
}

}  // namespace

int run_receiver(const Options &options) {
    MessageOutput output(options.output);
    metrics::MetricsPublisher publisher(posix::clock_in_use());
    if (options.device != nullptr) {
        const std::string problem =
            publisher.open({options.metrics_path, !options.metrics_listen.empty(),
                            options.metrics_address, options.metrics_port},
                           output.accounting(), figures_now(output, nullptr));
        if (!problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", kProgramName, problem.c_str());
            return kExitMetricsFailed;
        }
        if (options.metrics_port == 0 && !options.metrics_listen.empty()) {
            std::fprintf(stderr, "%s: metrics at http://%s/metrics\n", kProgramName,
                         publisher.endpoint_address().c_str());
        }
    }
    std::FILE *notes = output.notes();
    Fields fields;
    StatusBlock log_block;
    StatusBlock main_block;
    int status = kExitStopped;
    std::unique_ptr<mqtt::MqttPublishing> mqtt;
    std::vector<metrics::ExpectationFigure> expectations;  // where they ended
    if (options.device == nullptr) {
        std::fprintf(notes, "\n Usage: tavlo_t_receiver device_name [app_id]\n\n");
        status = kExitUsage;
    } else {
        copy_field(fields.device, options.device);
        if (options.app_id != nullptr) copy_field(fields.app_id, options.app_id);
        TAVLO_CLIENT_INITBLK(&log_block);
        TAVLO_CLIENT_INITBLK(&main_block);
        TAVLO_CLIENT_INIT(fields.app_id, &main_block);
        if (failed(main_block)) {
            print_init_error_listing(notes, main_block);
            status = kExitInitFailed;
        } else if (status = start_mqtt(options, output, mqtt); status == kExitStopped) {
            expect::RunJudgement judgement(options.judgement, posix::clock_in_use());
            output.start(fields.device);
            status = receive_messages(options, fields, main_block, log_block, output, judgement,
                                      publisher, mqtt.get());
            output.end();
            if (mqtt && !mqtt->finish() && status == kExitStopped) status = kExitMqttUndelivered;
            std::optional<accounting::MqttDelivery> delivery;
            if (mqtt) delivery = mqtt->delivery();
            status = judged_status(
                status, judgement.finish(fields.device,
                                         kOutputFormats[options.output.format].name == "json",
                                         output.accounting().total_missing(), delivery));
            expectations = expectation_figures(judgement, output);
        }
    }
    shut_down(notes);
    output.write_summary(report_output_bytes());
    if (!publisher.finish(output.accounting(),
                          figures_now(output, mqtt.get(), std::move(expectations))) &&
        status == kExitStopped) {
        status = kExitMetricsFailed;
    }
    if (mqtt && options.output.stats) mqtt->write_summary(stderr);
    return status;
}

}  // namespace tavlo::receiver
