// The script reader alone, as the simulator replays a recording: a file of
// messages shaped like the plant's (seven tags of every text type, names
// and times as a recording writes them) read message by message.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "script_reader.h"

namespace {

constexpr int kMessages = 20000;

// A recording of kMessages messages in a file of its own, gone afterwards.
class Recording {
public:
    Recording() {
        char name[] = "/tmp/tavlo_script_reader_bench_XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) std::abort();
        path_ = name;
        std::string text = "escapes\n";
        for (int n = 0; n < kMessages; ++n) {
            const std::string at =
                std::to_string(1700000000 + n / 10) + "." + std::to_string(100 + n % 10 * 10);
            text += "message UNSOLICITED SIMPLANT 1 " + std::to_string(101 + n % 2) +
                    " seq=" + std::to_string(n + 1) + " at=" + at + "\n";
            text += "tag SIM.MESSAGE_NUMBER LONG LONG " + std::to_string(n) + " -1 0 0 " + at +
                    "\ntag BOILER.TEMPERATURE REAL REAL 61.25 -5 5 21 " + at +
                    "\ntag BOILER.PRESSURE DOUBLE EU 2.25 -1 0 0 " + at +
                    "\ntag BOILER.BURNER_STAGE SHORT ENUM 1 -1 0 0 " + at +
                    "\ntag COOLING.VALVE_ID ASCII:12 EXTID VLV-0001-A -49 5 39 " + at +
                    "\ntag BOILER.MODE ASCII DESC STARTING -1 0 0 " + at +
                    "\ntag BOILER.LAST_IGNITION TIME DTIME 1699996400.074 -1 0 0 " + at + "\n";
        }
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
        close(fd);
        bytes_ = text.size();
    }
    ~Recording() { std::remove(path_.c_str()); }
    const std::string &path() const { return path_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::string path_;
    std::size_t bytes_ = 0;
};

void BM_ReplayARecording(benchmark::State &state) {
    const Recording recording;
    tavlo::script::ScriptFile file;
    tavlo::script::ScriptMessage message;
    std::string problem;
    for (auto _ : state) {
        if (!file.open(recording.path()).empty()) std::abort();
        int messages = 0;
        while (file.next(message, problem) == tavlo::script::ScriptReader::Status::kMessage) {
            ++messages;
        }
        if (messages != kMessages) std::abort();
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(recording.bytes()));
}
BENCHMARK(BM_ReplayARecording)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
