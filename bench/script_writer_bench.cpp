// The recording's writer alone, as the receiver's writer thread runs it:
// plant messages copied as the receiver hands them over, then written as
// script lines, a batch at a time.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "message_records.h"
#include "plant.h"
#include "script_writer.h"

namespace {

constexpr int kMessages = 20000;
// About the messages of a millisecond at full speed.
constexpr std::size_t kBatch = 256;
constexpr int64_t kStartMs = 1700000000000;

std::vector<tavlo::records::MessageRecords> plant_messages() {
    tavlo::sim::Plant plant(kStartMs, 100);
    tavlo::records::Message message;
    std::vector<tavlo::records::MessageRecords> all(kMessages);
    for (auto &records : all) {
        plant.next(message);
        tavlo::records::lay_out(message, records);
    }
    return all;
}

void BM_WriteARecording(benchmark::State &state) {
    const auto messages = plant_messages();
    std::vector<tavlo::script::ReadCopy> batch;
    tavlo::script::TextBuffer text;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (std::size_t i = 0; i < messages.size(); ++i) {
            const int64_t received = 1796807320000 + static_cast<int64_t>(i % 1000);
            batch.emplace_back(tavlo::records::view_of(messages[i]), received);
            if (batch.size() < kBatch && i + 1 < messages.size()) continue;
            for (const tavlo::script::ReadCopy &copy : batch) {
                tavlo::script::append_message(text, copy.view(), copy.received());
            }
            benchmark::DoNotOptimize(text.data());
            bytes += text.size();
            text.clear();
            batch.clear();
        }
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_WriteARecording)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
