// The console's stop events end the Windows receiver with its normal
// shutdown, as SIGINT and SIGTERM do on Linux: the receiver runs on the
// built-in plant in a console of its own, the test attaches to that console
// and generates the event, and the receiver must end within a few seconds
// with status 0 and the shutdown's last lines. A run where the system (Wine)
// cannot deliver an event is skipped and says why (Wine 8 raises Ctrl-C in
// a console but not Ctrl-Break). Closing the console window is left out:
// no program can generate that event, and Wine's consoles here have no
// window to close.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace {

constexpr DWORD kStopWithin = 5000;  // ms; the receiver looks for a stop every 100 ms or sooner

std::string folder_of_this_program() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string read_whole(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The console's events, after the receiver's, reach this program too: it
// keeps running.
BOOL WINAPI ignore_console_event(DWORD) {
    return TRUE;
}

// The receiver on the built-in plant (a message every 100 ms), in a new
// console, its standard output and error in one file beside the test: a
// complaint on standard error would stand after the shutdown's lines.
class ConsoleReceiver {
public:
    ConsoleReceiver(const std::string &name, DWORD flags)
        : output_path_(folder_of_this_program() + name + ".out") {
        SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
        output_ = CreateFileA(output_path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                              CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output_;
        startup.hStdError = output_;
        std::string command =
            "\"" + folder_of_this_program() + "tavlo_t_receiver.exe\" sim:100:1700000000";
        started_ =
            CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE,
                           CREATE_NEW_CONSOLE | flags, nullptr, nullptr, &startup, &process_) != 0;
    }

    ~ConsoleReceiver() {
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 1);
                WaitForSingleObject(process_.hProcess, kStopWithin);
            }
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(output_);
        DeleteFileA(output_path_.c_str());
    }

    bool started() const { return started_; }
    DWORD id() const { return process_.dwProcessId; }
    std::string output() const { return read_whole(output_path_); }

    // Waits until the receiver has shown a message.
    bool wait_for_first_message() const {
        for (DWORD waited = 0; waited < kStopWithin; waited += 50) {
            if (output().find("received for:") != std::string::npos) return true;
            if (WaitForSingleObject(process_.hProcess, 50) != WAIT_TIMEOUT) return false;
        }
        return false;
    }

    // The exit status, or -1 when the receiver still runs after `milliseconds`.
    long exit_status_within(DWORD milliseconds) const {
        DWORD status = 0;
        if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process_.hProcess, &status)) {
            return -1;
        }
        return static_cast<long>(status);
    }

private:
    std::string output_path_;
    HANDLE output_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

// Generates `event` in the console of the process `console_owner`, for the
// process group `group` (0: every process of that console). Empty when it
// was generated, else what failed.
std::string generate_in_console_of(DWORD console_owner, DWORD event, DWORD group) {
    FreeConsole();
    if (!AttachConsole(console_owner)) {
        return "AttachConsole to the receiver's console failed, error " +
               std::to_string(GetLastError());
    }
    SetConsoleCtrlHandler(ignore_console_event, TRUE);
    std::string problem;
    if (!GenerateConsoleCtrlEvent(event, group)) {
        problem = "GenerateConsoleCtrlEvent failed, error " + std::to_string(GetLastError());
    }
    // The event reaches this program too: let it come before the console goes.
    Sleep(200);
    FreeConsole();
    SetConsoleCtrlHandler(ignore_console_event, FALSE);
    return problem;
}

struct StopCase {
    const char *name;
    DWORD event;
    bool own_group;  // the receiver leads a process group of its own, and the event goes to it
};

// How ctest names a case.
void PrintTo(const StopCase &stop, std::ostream *out) {
    *out << stop.name;
}

// A process of a new process group has Ctrl-C turned off (as Windows starts
// it): Ctrl-C goes to the whole console, Ctrl-Break to the receiver's group.
const StopCase kStops[] = {
    {"ctrl_c", CTRL_C_EVENT, false},
    {"ctrl_break", CTRL_BREAK_EVENT, true},
};

class ConsoleStop : public ::testing::TestWithParam<StopCase> {};

TEST_P(ConsoleStop, RunsTheNormalShutdown) {
    const StopCase &stop = GetParam();
    const ConsoleReceiver receiver(stop.name, stop.own_group ? CREATE_NEW_PROCESS_GROUP : 0);
    ASSERT_TRUE(receiver.started()) << "CreateProcess failed, error " << GetLastError();
    ASSERT_TRUE(receiver.wait_for_first_message()) << receiver.output();
    const std::string problem =
        generate_in_console_of(receiver.id(), stop.event, stop.own_group ? receiver.id() : 0);
    if (!problem.empty())
        GTEST_SKIP() << "the system cannot deliver " << stop.name << ": " << problem;
    EXPECT_EQ(receiver.exit_status_within(kStopWithin), 0);
    const std::string output = receiver.output();
    const std::string ending = "\r\n\r\nClosing Tavlo Connections.\r\n\r\n";
    ASSERT_GE(output.size(), ending.size()) << output;
    EXPECT_EQ(output.substr(output.size() - ending.size()), ending) << output;
}

std::string stop_name(const ::testing::TestParamInfo<StopCase> &stop) {
    return stop.param.name;
}

INSTANTIATE_TEST_SUITE_P(Events, ConsoleStop, ::testing::ValuesIn(kStops), stop_name);

}  // namespace
