// The script a test gives the client-library double: what each call does.
#include "double_script.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "script_reader.h"
#include "script_text.h"

namespace tavlo::test_double {

namespace {

[[noreturn]] void bad_script(int line_number, const std::string &line) {
    std::fprintf(stderr, "tavlo double: bad script line %d: %s\n", line_number, line.c_str());
    std::exit(98);
}

Outcome outcome_of(const std::vector<std::string> &tokens, std::size_t first, bool &valid) {
    Outcome outcome;
    valid = tokens.size() > first;
    if (!valid) return outcome;
    if (tokens[0] == "connect" && tokens.size() == first + 1 && tokens[first] == "wait") {
        return Outcome{false, {{20, 20008}}, true};
    }
    outcome.ok = tokens[first] == "ok";
    valid = outcome.ok || tokens[first] == "fail";
    for (std::size_t i = first + 1; valid && i < tokens.size(); ++i) {
        Entry entry{};
        valid = std::sscanf(tokens[i].c_str(), "%d/%d", &entry.facility, &entry.error) == 2;
        outcome.entries.push_back(entry);
    }
    return outcome;
}

}  // namespace

Script load_script(const char *path) {
    Script script;
    std::ifstream file(path);
    if (!file) bad_script(0, std::string("cannot open ") + path);
    std::string line;
    std::vector<std::string_view> views;
    std::string unescaped;
    std::vector<std::string> t;
    script::Quoting quoting = script::Quoting::kPlain;
    script::ScriptBuilder builder;
    script::ScriptError error;
    // The message built so far is a read's outcome once a line that is not
    // one of its tag lines comes, or the end.
    const auto finish_message = [&] {
        if (!builder.building()) return;
        if (!builder.check_whole(error)) bad_script(error.line, error.reason);
        script::ScriptMessage built;
        builder.finish(built);
        ScriptedRead read;
        read.kind = ScriptedRead::Kind::kMessage;
        read.message = std::move(built.message);
        script.reads.push_back(std::move(read));
    };
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (!script::split_tokens(line, quoting, views, unescaped).empty())
            bad_script(number, line);
        t.assign(views.begin(), views.end());
        if (t.empty() || t[0][0] == '#') continue;
        if (t[0] == "tag" || t[0] == "more") {
            if (!builder.take(views, number, error)) bad_script(number, error.reason);
            continue;
        }
        finish_message();
        bool valid = true;
        if (t[0] == "message") {
            valid = builder.take(views, number, error);
        } else if (t[0] == script::kEscapesLine && t.size() == 1) {
            quoting = script::Quoting::kEscapes;
        } else if (t[0] == "init" || t[0] == "connect" || t[0] == "exit") {
            const Outcome outcome = outcome_of(t, 1, valid);
            auto &queue = t[0] == "init"      ? script.inits
                          : t[0] == "connect" ? script.connects
                                              : script.exits;
            queue.push_back(outcome);
        } else if (t[0] == "read" && t.size() >= 2 && t[1] == "fail") {
            ScriptedRead read;
            read.failure = outcome_of(t, 1, valid);
            script.reads.push_back(read);
        } else if (t[0] == "read" && t.size() == 2 && t[1] == "wait") {
            ScriptedRead read;
            read.kind = ScriptedRead::Kind::kWait;
            script.reads.push_back(read);
        } else {
            valid = false;
        }
        if (!valid) bad_script(number, line);
    }
    finish_message();
    return script;
}

}  // namespace tavlo::test_double
