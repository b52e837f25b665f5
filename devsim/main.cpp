// tavlo_devsim: a simulated device on TCP, for the receiver and for tests.
#include <csignal>
#include <cstdio>
#include <ctime>
#include <memory>

#include "devsim_options.h"
#include "message_source.h"
#include "server.h"

using namespace tavlo::devsim;

namespace {

// The replay of a script ended at a line in error, after the simulator had
// started: the clients did not get the whole script.
constexpr int kExitScriptBroken = 3;

volatile std::sig_atomic_t g_stop = 0;

extern "C" void on_stop(int) {
    g_stop = 1;
}

// The message source of the command line, or nullptr after an error.
std::unique_ptr<MessageSource> source_of(const DevsimOptions &options) {
    if (options.script.empty()) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const int64_t start_ms =
            options.start_seconds ? *options.start_seconds * 1000
                                  : static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
        const auto step = static_cast<int32_t>(options.interval_ms > 0 ? options.interval_ms : 100);
        return std::make_unique<PlantSource>(start_ms, step, options.first_message);
    }
    // A script is read as it is sent; its first message before the
    // simulator listens, so that a script that is no script stops it.
    auto script = std::make_unique<ScriptSource>();
    const std::string problem = script->open(options.script, options.loop);
    if (!problem.empty()) {
        std::fprintf(stderr, "tavlo_devsim: %s\n", problem.c_str());
        return nullptr;
    }
    return script;
}

}  // namespace

int main(int argc, char **argv) {
    const ParsedDevsimCommandLine command_line = parse_devsim_command_line(argc, argv);
    if (command_line.stop) return tavlo::cli::finish(*command_line.stop);
    auto source = source_of(command_line.options);
    if (!source) return 2;

    struct sigaction action {};
    action.sa_handler = on_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Server server(command_line.options, std::move(source));
    std::string error;
    if (!server.listen(error)) {
        std::fprintf(stderr, "tavlo_devsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("tavlo_devsim listening on %s\n", server.address().c_str());
    std::fflush(stdout);
    server.run(g_stop);
    return server.script_broken() ? kExitScriptBroken : 0;
}
