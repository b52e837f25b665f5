// The live view in a real terminal (tmux): a row per tag of the simulated
// plant and of a script served by the device simulator, kept current,
// scrolled, resized, coloured or not, and the terminal left as it was found
// after q and after each stop signal.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "devsim_runner.h"
#include "temporary_files.h"
#include "terminal_session.h"

namespace {

using namespace tavlo::testing;

const std::string kPlant = "sim:100:1700000000";
constexpr std::size_t kLongestNameShown = 40;

// A shell line that runs the view on `device`, then says how it ended and
// whether the terminal's modes are those from before. The shell ignores
// SIGINT so that it lives on after a ^C to say so.
std::string view_command(const TemporaryDirectory &dir, const std::string &device,
                         const std::string &environment = "") {
    return "trap '' INT; cd '" + dir.path() + "' && stty -g > before && { " + environment +
           " '" TAVLO_RECEIVER_PATH "' --view " + device +
           " </dev/tty & echo $! > pid; wait $!; echo \"view ended with status $?\"; }; " +
           "stty -g > after; cmp -s before after && echo 'terminal modes restored'";
}

// The (list, name) of every tag of the plant's two lists, as the text report
// of their declare replies names them.
std::vector<std::pair<std::string, std::string>> plant_tags() {
    ProcessSpec spec;
    spec.argv = {TAVLO_RECEIVER_PATH, "--kind",  "declare", "--list",
                 "101,102",           "--count", "2",       "sim:0:1700000000"};
    const ProcessResult result = run_process(spec, 60);
    std::vector<std::pair<std::string, std::string>> tags;
    const std::regex list_line("^Device: .* ListID: (\\d+)$");
    const std::regex name_line("^Tagname \\[\\d+\\]: (.*?) *$");
    std::istringstream lines(result.out);
    std::string list;
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, list_line)) {
            list = match[1];
        } else if (std::regex_match(line, match, name_line)) {
            tags.emplace_back(list, match[1].str().substr(0, kLongestNameShown));
        }
    }
    return tags;
}

// The row of tag `name` of list `list` on the screen, "" when there is none.
std::string row_of(const std::string &screen, const std::string &list, const std::string &name) {
    const std::size_t at =
        screen.find("\n" + list + std::string(7 - list.size(), ' ') + name + " ");
    if (at == std::string::npos) return "";
    return screen.substr(at + 1, screen.find('\n', at + 1) - at - 1);
}

bool holds(const std::string &screen, const std::string &text) {
    return screen.find(text) != std::string::npos;
}

// Waits until the screen holds every one of `texts` and none of `absent`
// (a guard, no timing check): tmux may show a screen that the view is still
// drawing, new lines above old ones. Returns that screen, "" when it never
// came.
std::string showing(const TerminalSession &terminal, const std::vector<std::string> &texts,
                    bool escapes = false, const std::vector<std::string> &absent = {}) {
    return terminal.wait_until(
        [&](const std::string &screen) {
            for (const std::string &text : texts) {
                if (!holds(screen, text)) return false;
            }
            for (const std::string &text : absent) {
                if (holds(screen, text)) return false;
            }
            return true;
        },
        30, escapes);
}

TEST(LiveView, ShowsARowPerTagOfThePlantKeptCurrentScrolledResizedUntilQ) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    const auto tags = plant_tags();
    ASSERT_EQ(tags.size(), 14u);
    TemporaryDirectory dir("tavlo_view");
    TerminalSession terminal(view_command(dir, kPlant), 150, 40);
    std::vector<std::string> rows = {kPlant + "  connected  ", "LIST   NAME", "q quits"};
    for (const auto &[list, name] : tags) {
        rows.push_back("\n" + list + std::string(7 - list.size(), ' ') + name + " ");
    }
    const std::string first = showing(terminal, rows);
    ASSERT_NE(first, "") << terminal.visible();
    // The message number changes with every message of its list.
    const std::string number_row = row_of(first, "101", "SIM.MESSAGE_NUMBER");
    EXPECT_NE(terminal.wait_until([&](const std::string &screen) {
        const std::string row = row_of(screen, "101", "SIM.MESSAGE_NUMBER");
        return !row.empty() && row != number_row;
    }),
              "")
        << number_row;

    // Ten lines leave seven for the table: the two lists take a page each.
    // NAME is as wide as the longest name of all rows, on either page.
    const std::string titles = "\nLIST   NAME" + std::string(37, ' ') + "TYPE ";
    terminal.resize(150, 10);
    // Only list 101 on the first page.
    ASSERT_NE(showing(terminal, {"tags 1-7 of", "\n101    BOILER.TEMPERATURE", titles}, false,
                      {"\n102 "}),
              "")
        << terminal.visible();
    terminal.press({"NPage"});
    ASSERT_NE(showing(terminal, {"tags 8-14 of", "102    COOLING.PUMP", titles}, false, {"\n101 "}),
              "")
        << terminal.visible();
    terminal.press({"Up"});
    EXPECT_NE(showing(terminal, {"tags 7-13 of", "\n101 "}), "") << terminal.visible();
    terminal.press({"Home"});
    EXPECT_NE(showing(terminal, {"tags 1-7 of"}), "") << terminal.visible();

    // At 80 columns, once TYPE is scrolled out a TIME value shows whole, to
    // the millisecond; at the far right, the timestamp and the updates.
    terminal.resize(80, 24);
    ASSERT_NE(showing(terminal, {"BOILER.LAST_IGNITION", "VALUE"}, false, {"TIMESTAMP"}), "")
        << terminal.visible();
    const std::string time = "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}";
    const std::pair<int, std::string> scrolls[] = {
        {1, "BOILER.LAST_IGNITION +" + time}, {4, "SIM.MESSAGE_NUMBER +" + time + " +\\d+\\n"}};
    for (const auto &scroll : scrolls) {
        const std::string &row = scroll.second;
        terminal.press(std::vector<std::string>(static_cast<std::size_t>(scroll.first), "Right"));
        EXPECT_NE(terminal.wait_until([&](const std::string &screen) {
            return std::regex_search(screen, std::regex(row));
        }),
                  "")
            << row << "\n"
            << terminal.visible();
    }
    terminal.press({"Left", "Left", "Left"});
    EXPECT_NE(showing(terminal, {"TYPE", "VALUE"}, false, {"TIMESTAMP"}), "") << terminal.visible();

    terminal.press({"q"});
    // The screen from before the view is back, without the table.
    EXPECT_NE(showing(terminal,
                      {"Closing Tavlo Connections.", "view ended with status 0", "modes restored"},
                      false, {"LIST   NAME"}),
              "")
        << terminal.visible();
}

// With filters, which leave only the rows of their tags.
TEST(LiveView, EachStopSignalEndsAFilteredViewAndRestoresTheTerminal) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        TemporaryDirectory dir("tavlo_view");
        TerminalSession terminal(
            view_command(dir, "--kind unsolicited --list 102 --tag 'COOLING.*' " + kPlant), 120,
            30);
        const std::string shown = showing(
            terminal, {"connected", "102    COOLING.LAST_FLUSH", "102    COOLING.PUMP", "of 5"});
        ASSERT_NE(shown, "") << terminal.visible();
        EXPECT_FALSE(holds(shown, "SIM.MESSAGE_NUMBER")) << shown;
        if (signal_number == SIGINT) {
            terminal.press({"C-c"});  // the terminal's own ^C
        } else {
            kill(static_cast<pid_t>(std::stol(read_file(dir.file("pid")))), signal_number);
        }
        EXPECT_NE(showing(terminal, {"view ended with status 0", "terminal modes restored"}), "")
            << signal_number << "\n"
            << terminal.visible();
    }
}

// What went to standard error while the view was up is on the terminal once
// it is gone: why a run failed, the log of connects to a port without a server.
TEST(LiveView, ShowsWhatWentToStandardErrorAfterTheViewEnds) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    // The view's arguments, a line after it, its status.
    const std::string cases[][3] = {
        {"--record /dev/full " + kPlant,
         "cannot write the recording /dev/full: No space left on device\n", "status 5"},
        {"--timeout 2 127.0.0.1:1", "TAVLO TAVLOUNSOL: facility=20 error=", "status 0"},
    };
    for (const auto &[arguments, line, status] : cases) {
        TemporaryDirectory dir("tavlo_view");
        TerminalSession terminal(view_command(dir, arguments), 150, 40);
        ASSERT_NE(showing(terminal, {"ended with " + status + "\n"}, false, {"LIST   NAME"}), "")
            << terminal.visible();
        // The history too: the line may have scrolled off the screen.
        EXPECT_TRUE(holds(terminal.screen(), line)) << arguments << "\n" << terminal.screen();
    }
}

const char kScript[] =
    "message DECLARE PLANT9 2 7\n"
    "tag \"TANK LEVEL\" REAL EU 0 -1 0 0 3600\n"
    "tag PUMP SHORT SHORT 0 -1 0 0 3600\n"
    "message UNSOLICITED PLANT9 2 7\n"
    "tag \"TANK LEVEL\" REAL EU 12.5 -1 0 0 3600\n"
    "tag PUMP SHORT SHORT 3 -6 0 0 3600\n"
    "tag VALVE ASCII DESC \"open\" -9 0 0 3600\n"
    "message UNSOLICITED PLANT9 2 7\n"
    "tag \"TANK LEVEL\" REAL EU 13.5 -1 0 0 3600\n"
    "tag PUMP SHORT SHORT 3 -6 0 0 3600\n"
    "tag VALVE ASCII DESC \"open\" -9 0 0 3600\n";

TEST(LiveView, ShowsAScriptsStatusesInColourUnlessNoColourAndTheLostLinksError) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    TemporaryDirectory dir("tavlo_view");
    Devsim devsim(
        {"--script", dir.write("plant9.script", kScript), "--interval", "100", "--loop", "0"});
    const std::vector<std::string> script_rows = {"TANK LEVEL", "BAD", "Out of Range", "connected"};
    {
        TerminalSession plain(view_command(dir, devsim.address(), "NO_COLOR=1"), 150, 12);
        const std::string shown = showing(plain, script_rows, true);
        ASSERT_NE(shown, "") << plain.visible();
        EXPECT_FALSE(holds(shown, "\x1b[31m")) << shown;  // bold, without colour
        EXPECT_TRUE(holds(shown, "\x1b[1mBAD")) << shown;
        plain.press({"q"});
        EXPECT_TRUE(plain.wait_for("terminal modes restored")) << plain.visible();
    }
    TerminalSession coloured(view_command(dir, devsim.address(), "env -u NO_COLOR"), 150, 12);
    // The tank's level changes with every message: it stands out.
    const std::string shown = coloured.wait_until(
        [&](const std::string &screen) {
            return holds(screen, "\x1b[31mBAD") && holds(screen, "\x1b[31mOut of Range") &&
                   (holds(screen, "\x1b[7m12.500000") || holds(screen, "\x1b[7m13.500000"));
        },
        30, true);
    ASSERT_NE(shown, "") << coloured.visible(true);
    EXPECT_FALSE(holds(shown, "\x1b[31mGOOD")) << shown;
    const std::string text = coloured.visible();
    EXPECT_TRUE(std::regex_search(row_of(text, "7", "TANK LEVEL"),
                                  std::regex("REAL +1[23]\\.500000 +GOOD ")))
        << text;
    EXPECT_TRUE(
        std::regex_search(row_of(text, "7", "VALVE"), std::regex("ASCII +open +Out of Range ")))
        << text;

    devsim.stop();
    const std::string lost = showing(
        coloured, {"reconnecting", "last error: TAVLO TAVLOUNSOL: facility=20 error=", "TANK"});
    EXPECT_NE(lost, "") << coloured.visible();
    coloured.press({"q"});
    EXPECT_TRUE(coloured.wait_for("terminal modes restored")) << coloured.visible();
}

}  // namespace
