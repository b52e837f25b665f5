// A program run in a real terminal: a detached tmux session on a server of
// its own, driven with send-keys and read with capture-pane.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "temporary_files.h"

namespace tavlo::testing {

class TerminalSession {
public:
    // Whether tmux can be found on PATH.
    static bool available();

    // Starts `command` (a shell command line) in a new detached session of
    // a tmux server of the test's own, on a socket in a temporary directory;
    // the pane stays after the command ends. Throws when tmux fails.
    explicit TerminalSession(const std::string &command);
    // The same in a terminal of `width` columns and `height` lines.
    TerminalSession(const std::string &command, int width, int height);
    ~TerminalSession();  // ends the tmux server, the command with it

    TerminalSession(const TerminalSession &) = delete;
    TerminalSession &operator=(const TerminalSession &) = delete;

    // Types `text` and RETURN.
    void type_line(const std::string &text);

    // Everything the pane showed, its history included, wrapped lines joined.
    std::string screen() const;

    // Polls the screen until it holds `text`; gives up after `limit_seconds`
    // (a guard against hangs, not a timing check).
    bool wait_for(const std::string &text, double limit_seconds = 30) const;

    // Presses keys by their tmux names ("q", "Down", "NPage", "C-c").
    void press(const std::vector<std::string> &keys);

    // Makes the terminal `width` columns by `height` lines.
    void resize(int width, int height);

    // What the pane shows now, without its history; with `escapes`, with the
    // escape sequences of its colours and attributes.
    std::string visible(bool escapes = false) const;

    // Polls the visible screen until `ready` holds for it; gives up after
    // `limit_seconds` (a guard against hangs). Returns the screen for which
    // it held, "" when it never did.
    std::string wait_until(const std::function<bool(const std::string &)> &ready,
                           double limit_seconds = 30, bool escapes = false) const;

private:
    struct Result {
        bool ok;
        std::string out;
        std::string err;
    };
    Result tmux(const std::vector<std::string> &arguments) const;
    void must(const std::vector<std::string> &arguments) const;

    std::string tmux_path_;
    TemporaryDirectory directory_;
    std::string socket_;
};

}  // namespace tavlo::testing
