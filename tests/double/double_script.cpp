// The script a test gives the client-library double: what each call does.
#include "double_script.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "bytes.h"
#include "script_text.h"

namespace tavlo::test_double {

namespace {

using tavlo::testing::append_text;
using tavlo::testing::bytes_of;

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

bool value_of(ScriptedTag &tag, const std::string &text, int32_t size) {
    if (text == "-") return true;
    switch (tag.data_type) {
        case TAVLO_TYPE_REAL: tag.value = bytes_of(std::strtof(text.c_str(), nullptr)); return true;
        case TAVLO_TYPE_SHORT:
            tag.value = bytes_of(static_cast<int16_t>(std::strtol(text.c_str(), nullptr, 0)));
            return true;
        case TAVLO_TYPE_LONG:
            tag.value = bytes_of(static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 0)));
            return true;
        case TAVLO_TYPE_DOUBLE:
            tag.value = bytes_of(std::strtod(text.c_str(), nullptr));
            return true;
        case TAVLO_TYPE_TIME: {
            TimeRecord time{};
            if (std::sscanf(text.c_str(), "%d,%d", &time.milliseconds, &time.seconds) != 2) {
                return false;
            }
            tag.value = bytes_of(time);
            return true;
        }
        default:
            tag.value.clear();
            append_text(tag.value, text, static_cast<std::size_t>(size > 0 ? size : 0));
            return true;
    }
}

bool tag_of(const std::vector<std::string> &t, ScriptedTag &tag) {
    if (t.size() != 11) return false;
    tag.name = t[1];
    tag.data_type = static_cast<int16_t>(std::atoi(t[2].c_str()));
    tag.device_data_type = static_cast<int16_t>(std::atoi(t[3].c_str()));
    const int32_t size = std::atoi(t[4].c_str());
    tag.status =
        TagStatus{std::atoi(t[6].c_str()), std::atoi(t[7].c_str()), std::atoi(t[8].c_str())};
    tag.timestamp = TimeRecord{std::atoi(t[9].c_str()), std::atoi(t[10].c_str())};
    return value_of(tag, t[5], size) && (t[5] == "-" || tag.value.size() == std::size_t(size));
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
    int number = 0;
    while (std::getline(file, line)) {
        ++number;
        if (script::split_tokens(line, script::Quoting::kPlain, views, unescaped) != nullptr)
            bad_script(number, line);
        t.assign(views.begin(), views.end());
        if (t.empty() || t[0][0] == '#') continue;
        bool valid = true;
        if (t[0] == "init" || t[0] == "connect" || t[0] == "exit") {
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
        } else if (t[0] == "read" && t.size() == 7 && t[1] == "message") {
            ScriptedRead read;
            read.kind = ScriptedRead::Kind::kMessage;
            read.message_kind = std::atoi(t[2].c_str());
            read.device = t[3];
            read.unit = std::atoi(t[4].c_str());
            read.list_id = std::atoi(t[5].c_str());
            read.layout = t[6];
            valid = read.layout == "40" || read.layout == "256" || read.layout == "256pad";
            script.reads.push_back(read);
        } else if (t[0] == "tag" && !script.reads.empty() &&
                   script.reads.back().kind == ScriptedRead::Kind::kMessage) {
            ScriptedTag tag;
            valid = tag_of(t, tag);
            script.reads.back().tags.push_back(tag);
        } else {
            valid = false;
        }
        if (!valid) bad_script(number, line);
    }
    return script;
}

}  // namespace tavlo::test_double
