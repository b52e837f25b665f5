// The topic of each message from a template such as
// plant/{device}/{list}/{kind}.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlo::mqtt {

// The fields of one message that a topic can name.
struct TopicFields {
    std::string_view device;  // the device's name, without its padding
    int32_t unit = 0;
    int32_t list_id = 0;
    std::string_view kind;    // get, put, declare, cancel, unsolicited or the number
    std::string_view client;  // the receiver's MQTT client id
};

class TopicTemplate {
public:
    // Reads the template; returns why it is refused ("" when it is good): it
    // is empty, holds + or # (no topic of a message may), a { without its },
    // or a field other than {device}, {unit}, {list}, {kind} and {client}.
    std::string read(std::string_view text);

    // The topic of a message. In a field's value, each byte a topic level
    // cannot hold as it stands (/, + and #, the control bytes and every
    // byte outside ASCII) becomes '_'; an empty value becomes '_' too.
    void expand(const TopicFields &fields, std::string &topic) const;

private:
    enum class Field { kText, kDevice, kUnit, kList, kKind, kClient };
    struct Piece {
        Field field;
        std::string text;  // for kText
    };
    std::vector<Piece> pieces_;
};

}  // namespace tavlo::mqtt
