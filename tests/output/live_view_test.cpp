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

// Whether the screen has a row of tag `name` of list `list`.
bool has_row(const std::string &screen, const std::string &list, const std::string &name) {
    return screen.find("\n" + list + std::string(7 - list.size(), ' ') + name + " ") !=
           std::string::npos;
}

// The text of the row of tag `name` of list `list`, "" when there is none.
std::string row_of(const std::string &screen, const std::string &list, const std::string &name) {
    const std::size_t at =
        screen.find("\n" + list + std::string(7 - list.size(), ' ') + name + " ");
    if (at == std::string::npos) return "";
    return screen.substr(at + 1, screen.find('\n', at + 1) - at - 1);
}

bool holds(const std::string &screen, const std::string &text) {
    return screen.find(text) != std::string::npos;
}

TEST(LiveView, ShowsARowPerTagOfThePlantKeptCurrentScrolledResizedUntilQ) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    const auto tags = plant_tags();
    ASSERT_EQ(tags.size(), 14u);
    TemporaryDirectory dir("tavlo_view");
    TerminalSession terminal(view_command(dir, kPlant), 150, 40);

    const auto every_row = [&](const std::string &screen) {
        for (const auto &[list, name] : tags) {
            if (!has_row(screen, list, name)) return false;
        }
        return holds(screen, kPlant + "  connected  ");
    };
    const std::string first = terminal.wait_until(every_row);
    ASSERT_FALSE(first.empty()) << terminal.visible();
    EXPECT_TRUE(holds(first, "LIST   NAME")) << first;
    EXPECT_TRUE(holds(first, "q quits")) << first;
    // The message number changes with every message of its list.
    const std::string number_row = row_of(first, "101", "SIM.MESSAGE_NUMBER");
    EXPECT_FALSE(terminal
                     .wait_until([&](const std::string &screen) {
                         const std::string row = row_of(screen, "101", "SIM.MESSAGE_NUMBER");
                         return !row.empty() && row != number_row;
                     })
                     .empty())
        << number_row;

    // Ten lines leave seven for the table: the two lists take a page each.
    terminal.resize(150, 10);
    const std::string small =
        terminal.wait_until([](const std::string &screen) { return holds(screen, "tags 1-7 of"); });
    ASSERT_FALSE(small.empty()) << terminal.visible();
    EXPECT_TRUE(has_row(small, "101", "BOILER.TEMPERATURE")) << small;
    EXPECT_FALSE(has_row(small, "102", "COOLING.PUMP_STATUS")) << small;
    terminal.press({"NPage"});
    const std::string second_page = terminal.wait_until(
        [](const std::string &screen) { return holds(screen, "tags 8-14 of"); });
    ASSERT_FALSE(second_page.empty()) << terminal.visible();
    EXPECT_TRUE(has_row(second_page, "102", "COOLING.PUMP_STATUS")) << second_page;
    EXPECT_FALSE(holds(second_page, "\n101 ")) << second_page;
    terminal.press({"Up"});
    EXPECT_FALSE(terminal
                     .wait_until([](const std::string &screen) {
                         return holds(screen, "tags 7-13 of") && holds(screen, "\n101 ");
                     })
                     .empty())
        << terminal.visible();
    terminal.press({"Home"});
    EXPECT_FALSE(
        terminal.wait_until([](const std::string &screen) { return holds(screen, "tags 1-7 of"); })
            .empty())
        << terminal.visible();

    terminal.press({"q"});
    const std::string after = terminal.wait_until(
        [](const std::string &screen) { return holds(screen, "terminal modes restored"); });
    ASSERT_FALSE(after.empty()) << terminal.visible();
    EXPECT_TRUE(holds(after, "view ended with status 0")) << after;
    // The screen from before the view is back, without the table.
    EXPECT_FALSE(holds(after, "LIST   NAME")) << after;
    EXPECT_TRUE(holds(after, "Closing Tavlo Connections.")) << after;
}

TEST(LiveView, EachStopSignalEndsTheViewAndRestoresTheTerminal) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    for (const int signal_number : signals) {
        TemporaryDirectory dir("tavlo_view");
        TerminalSession terminal(view_command(dir, kPlant), 120, 30);
        ASSERT_FALSE(terminal
                         .wait_until([](const std::string &screen) {
                             return holds(screen, "connected") && holds(screen, "SIM.MESSAGE");
                         })
                         .empty())
            << signal_number << "\n"
            << terminal.visible();
        if (signal_number == SIGINT) {
            terminal.press({"C-c"});  // the terminal's own ^C
        } else {
            kill(static_cast<pid_t>(std::stol(read_file(dir.file("pid")))), signal_number);
        }
        const std::string after = terminal.wait_until(
            [](const std::string &screen) { return holds(screen, "terminal modes restored"); });
        EXPECT_FALSE(after.empty()) << signal_number << "\n" << terminal.visible();
        EXPECT_TRUE(holds(after, "view ended with status 0")) << signal_number << "\n" << after;
    }
}

TEST(LiveView, TheFiltersLeaveOnlyTheRowsOfTheirTags) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    TemporaryDirectory dir("tavlo_view");
    TerminalSession terminal(
        view_command(dir, "--kind unsolicited --list 102 --tag 'COOLING.*' " + kPlant), 150, 30);
    const std::string shown = terminal.wait_until([](const std::string &screen) {
        return holds(screen, "COOLING.LAST_FLUSH") && holds(screen, "tags 1-5 of 5");
    });
    ASSERT_FALSE(shown.empty()) << terminal.visible();
    EXPECT_TRUE(has_row(shown, "102", "COOLING.PUMP_STATUS")) << shown;
    EXPECT_FALSE(holds(shown, "SIM.MESSAGE_NUMBER")) << shown;
    EXPECT_FALSE(holds(shown, "\n101 ")) << shown;
    terminal.press({"q"});
    EXPECT_TRUE(terminal.wait_for("terminal modes restored")) << terminal.visible();
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
    const auto script_rows = [](const std::string &screen) {
        return holds(screen, "TANK LEVEL") && holds(screen, "BAD") &&
               holds(screen, "Out of Range") && holds(screen, "connected");
    };
    {
        TerminalSession plain(view_command(dir, devsim.address(), "NO_COLOR=1"), 150, 12);
        const std::string shown = plain.wait_until(script_rows, 30, true);
        ASSERT_FALSE(shown.empty()) << plain.visible();
        // Bold, without colour.
        EXPECT_FALSE(holds(shown, "\x1b[31m")) << shown;
        EXPECT_TRUE(holds(shown, "\x1b[1mBAD")) << shown;
        plain.press({"q"});
        EXPECT_TRUE(plain.wait_for("terminal modes restored")) << plain.visible();
    }
    TerminalSession coloured(view_command(dir, devsim.address(), "env -u NO_COLOR"), 150, 12);
    const std::string shown = coloured.wait_until(script_rows, 30, true);
    ASSERT_FALSE(shown.empty()) << coloured.visible();
    EXPECT_TRUE(holds(shown, "\x1b[31mBAD")) << shown;
    EXPECT_TRUE(holds(shown, "\x1b[31mOut of Range")) << shown;
    EXPECT_FALSE(holds(shown, "\x1b[31mGOOD")) << shown;
    const std::string plain_text = coloured.visible();
    const std::string tank = row_of(plain_text, "7", "TANK LEVEL");
    EXPECT_TRUE(std::regex_search(tank, std::regex("REAL +1[23]\\.500000 +GOOD "))) << tank;
    EXPECT_TRUE(std::regex_search(row_of(plain_text, "7", "VALVE"),
                                  std::regex("ASCII +open +Out of Range ")))
        << plain_text;
    // The tank's level changes with every message: it stands out.
    EXPECT_FALSE(coloured
                     .wait_until(
                         [](const std::string &screen) {
                             return holds(screen, "\x1b[7m12.500000") ||
                                    holds(screen, "\x1b[7m13.500000");
                         },
                         30, true)
                     .empty())
        << coloured.visible(true);

    devsim.stop();
    const std::string lost = coloured.wait_until([](const std::string &screen) {
        return holds(screen, "reconnecting") &&
               holds(screen, "last error: TAVLO TAVLOUNSOL: facility=20 error=");
    });
    EXPECT_FALSE(lost.empty()) << coloured.visible();
    EXPECT_TRUE(holds(lost, "TANK LEVEL")) << lost;  // the rows stay
    coloured.press({"q"});
    EXPECT_TRUE(coloured.wait_for("terminal modes restored")) << coloured.visible();
}

}  // namespace
