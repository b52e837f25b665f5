// The topic of each message from a template such as
// plant/{device}/{list}/{kind}.
#include "topic_template.h"

namespace tavlo::mqtt {

namespace {

// The longest topic MQTT carries.
constexpr std::size_t kLongestTopic = 65535;

void add_level_text(std::string &topic, std::string_view value) {
    if (value.empty()) {
        topic += '_';
        return;
    }
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = byte > 0x20 && byte < 0x7f && c != '/' && c != '+' && c != '#';
        topic += plain ? c : '_';
    }
}

}  // namespace

std::string TopicTemplate::read(std::string_view text) {
    static constexpr struct {
        std::string_view name;
        Field field;
    } kFields[] = {{"device", Field::kDevice},
                   {"unit", Field::kUnit},
                   {"list", Field::kList},
                   {"kind", Field::kKind},
                   {"client", Field::kClient}};
    if (text.empty()) return "needs a value";
    if (text.size() > kLongestTopic) return "is longer than an MQTT topic may be";
    if (text.find_first_of("+#") != std::string_view::npos) {
        return "may not hold + or # (they are for subscriptions)";
    }
    std::vector<Piece> pieces;
    while (!text.empty()) {
        const std::size_t open = text.find('{');
        if (open != 0) {
            pieces.push_back({Field::kText, std::string(text.substr(0, open))});
            if (open == std::string_view::npos) break;
            text.remove_prefix(open);
        }
        const std::size_t close = text.find('}');
        if (close == std::string_view::npos) return "has a { without its }";
        const std::string_view name = text.substr(1, close - 1);
        bool known = false;
        for (const auto &row : kFields) {
            if (row.name == name) {
                pieces.push_back({row.field, {}});
                known = true;
            }
        }
        if (!known) {
            return "knows {device}, {unit}, {list}, {kind} and {client}, not {" +
                   std::string(name) + "}";
        }
        text.remove_prefix(close + 1);
    }
    pieces_ = std::move(pieces);
    return {};
}

void TopicTemplate::expand(const TopicFields &fields, std::string &topic) const {
    topic.clear();
    for (const Piece &piece : pieces_) {
        switch (piece.field) {
            case Field::kText: topic += piece.text; break;
            case Field::kDevice: add_level_text(topic, fields.device); break;
            case Field::kUnit: topic += std::to_string(fields.unit); break;
            case Field::kList: topic += std::to_string(fields.list_id); break;
            case Field::kKind: add_level_text(topic, fields.kind); break;
            case Field::kClient: add_level_text(topic, fields.client); break;
        }
    }
    if (topic.size() > kLongestTopic) topic.resize(kLongestTopic);
}

}  // namespace tavlo::mqtt
