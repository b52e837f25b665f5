// Script files read message by message.
#include "script_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#include "files.h"
#include "message_codec.h"
#include "wire_format.h"

namespace tavlo::script {

LineReader::LineReader(int fd, std::size_t longest, std::size_t block)
    : fd_(fd),
      longest_(longest),
      block_(std::max<std::size_t>(block, 1)),
      buffer_(new char[longest + 1]) {}

LineReader::Status LineReader::next_read(std::string_view &line) {
    for (;;) {
        if (too_long_) return Status::kTooLong;
        if (read_error_ != 0) return Status::kReadError;
        if (end_ - start_ > longest_) {
            ++number_;
            too_long_ = true;
            return Status::kTooLong;
        }
        if (!fill()) break;
        if (held_line(line)) return Status::kLine;
    }
    if (read_error_ != 0) return Status::kReadError;
    const std::size_t size = end_ - start_;
    if (size == 0) return Status::kEnd;
    // The last line, without a line end.
    line = std::string_view(buffer_.get() + start_, size);
    start_ = end_;
    scanned_ = 0;
    ++number_;
    unended_ = true;
    return Status::kLine;
}

bool LineReader::fill() {
    if (ended_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    const std::size_t taken =
        read_some(buffer_.get() + end_, std::min(block_, longest_ + 1 - end_));
    end_ += taken;
    ended_ = taken == 0;
    return !ended_;
}

std::size_t LineReader::read_some(char *to, std::size_t room) {
    for (;;) {
        const ssize_t n = posix::read_from(fd_, to, room);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) {
            read_error_ = errno;
            return 0;
        }
    }
}

namespace {

// A tag name and a device name are shorter than their fields, which hold
// the NUL too: a full-layout name entry and the device-name field.
constexpr auto kTagNameField = static_cast<std::size_t>(records::kFullNameStride);
constexpr auto kDeviceNameField = static_cast<std::size_t>(records::kNameField);
constexpr std::size_t kMessageWords = 5;
constexpr std::size_t kTagWords = 9;

// The key=value words after the fixed ones of a line: each key at most
// once, from `keys`; `values` gets each key's value at the key's place.
template <std::size_t N>
bool read_options(const Tokens &tokens, std::size_t first, const char *const (&keys)[N],
                  std::optional<std::string_view> (&values)[N]) {
    for (std::size_t i = first; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        const auto equals = token.find('=');
        const auto key = std::find_if(std::begin(keys), std::end(keys), [&](const char *k) {
            return token.compare(0, equals, k) == 0;
        });
        if (equals == std::string::npos || key == std::end(keys)) return false;
        auto &value = values[static_cast<std::size_t>(key - std::begin(keys))];
        if (value) return false;
        value = token.substr(equals + 1);
    }
    return true;
}

// Whether a frame holds a message of `tags` tags, names `stride` bytes
// apart and `value_bytes` of values.
bool frame_holds(std::size_t tags, int32_t stride, uint64_t value_bytes) {
    const uint64_t payload =
        wire::message_payload_length(tags, static_cast<uint64_t>(stride), value_bytes);
    return 1 + payload <= wire::kLongestFrame;
}

}  // namespace

void ScriptBuilder::finish(ScriptMessage &message) {
    message_.message.tags.resize(tags_);
    std::swap(message, message_);
    building_ = false;
}

records::TagValue &ScriptBuilder::new_tag() {
    std::vector<records::TagValue> &tags = message_.message.tags;
    if (tags_ == tags.size()) {
        ++tags_;
        return tags.emplace_back();
    }
    // A tag of the message handed out before: add_tag() sets its name and
    // value over the old ones, in the room they had.
    records::TagValue &tag = tags[tags_++];
    tag.element_count = 1;
    return tag;
}

bool ScriptBuilder::still_fits(const records::TagValue &tag) {
    value_bytes_ += tag.value.size();
    name_stride_ = std::max(name_stride_, records::name_stride_for(tag.name));
    return frame_holds(tags_, name_stride_, value_bytes_);
}

void ScriptBuilder::begin_message(int number) {
    building_ = true;
    message_line_ = number;
    tags_ = 0;
    message_.received.reset();
    value_bytes_ = 0;
    name_stride_ = records::kCompactNameStride;
    hex_open_ = false;
    more_given_.reset();
    tags_given_.reset();
    message_.message.sequence = ++messages_;
    message_.message.name_stride = 0;
}

bool ScriptBuilder::check_more_lines(ScriptError &error) const {
    if (more_lines_whole()) return true;
    error = ScriptError{tag_line_, "the tag has " + std::to_string(more_lines_) +
                                       " more lines, not the " + std::to_string(*more_given_) +
                                       " of its more="};
    return false;
}

bool ScriptBuilder::check_whole(ScriptError &error) const {
    if (!check_more_lines(error)) return false;
    if (tags_given_ && static_cast<std::size_t>(*tags_given_) != tags_) {
        error = ScriptError{message_line_, "the message has " + std::to_string(tags_) +
                                               " tag lines, not the " +
                                               std::to_string(*tags_given_) + " of its tags="};
        return false;
    }
    return true;
}

// message KIND DEVICE UNIT LIST_ID [seq=N] [tags=N] [names=40|256] [at=SECONDS.MMM]
std::string ScriptBuilder::start_message(const Tokens &t) {
    records::Message &message = message_.message;
    if (t.size() < kMessageWords) return "a message line is: message KIND DEVICE UNIT LIST_ID";
    const auto kind = kind_of(t[1]);
    if (!kind) return "unknown message kind";
    if (t[2].size() >= kDeviceNameField) return "a device name has at most 31 characters";
    if (t[2].find('\0') != std::string_view::npos) return "a device name holds no NUL";
    const auto unit = whole_32(t[3]);
    const auto list_id = whole_32(t[4]);
    if (!unit || !list_id) return "UNIT and LIST_ID must be 32-bit whole numbers";
    message.kind = *kind;
    message.device = t[2];
    message.unit = *unit;
    message.list_id = *list_id;

    static const char *const kKeys[] = {"seq", "names", "at", "tags"};
    std::optional<std::string_view> options[4];
    if (!read_options(t, kMessageWords, kKeys, options)) {
        return "a message line ends in options seq=N, tags=N, names=40|256, at=SECONDS.MMM, "
               "each at most once";
    }
    if (options[0]) {
        const auto sequence = whole_32(*options[0]);
        if (!sequence) return "seq= needs a 32-bit whole number";
        message.sequence = *sequence;
    }
    if (options[1]) {
        if (*options[1] != "40" && *options[1] != "256") return "names= is 40 or 256";
        message.name_stride =
            *options[1] == "40" ? records::kCompactNameStride : records::kFullNameStride;
        name_stride_ = message.name_stride;
    }
    if (options[2]) {
        message_.received = received_time_of(*options[2]);
        if (!message_.received) return "at= needs SECONDS or SECONDS.MMM";
    }
    if (options[3]) {
        tags_given_ = whole_32(*options[3]);
        if (!tags_given_ || *tags_given_ < 0 || *tags_given_ > wire::kMostTags) {
            return "tags= needs a whole number from 0 to 65536";
        }
    }
    return {};
}

// tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS TIMESTAMP
//     [elements=N] [stamp-ms=N] [more=N]
std::string ScriptBuilder::add_tag(const Tokens &t) {
    if (t.size() < kTagWords) {
        return "a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS "
               "TIMESTAMP";
    }
    records::TagValue &tag = new_tag();
    if (t[1].size() >= kTagNameField) return "a tag name has at most 255 bytes";
    tag.name = t[1];
    if (message_.message.name_stride == records::kCompactNameStride &&
        records::name_stride_for(tag.name) != records::kCompactNameStride) {
        return "a name of 40 bytes or more does not fit names=40";
    }
    ValueType type;
    if (std::string reason = read_value_type(t[2], type); !reason.empty()) return reason;
    tag.data_type = type.data_type;
    const auto device_type = type_of(t[3], -32768, 32767);
    if (!device_type) return "unknown device data type";
    tag.device_data_type = static_cast<int16_t>(*device_type);
    if (std::string reason = read_value(type, t[4], tag.value, hex_given_); !reason.empty()) {
        return reason;
    }
    hex_open_ = type.raw_size.has_value();
    const auto status = whole_32(t[5]);
    const auto facility = whole_32(t[6]);
    const auto driver = whole_32(t[7]);
    if (!status || !facility || !driver) {
        return "STATUS, FACILITY and DRIVER_STATUS must be 32-bit whole numbers";
    }
    tag.status = TagStatus{*status, *facility, *driver};
    const auto timestamp = time_of(t[8]);
    if (!timestamp) return "a TIMESTAMP must be SECONDS or SECONDS.MMM";
    tag.timestamp = *timestamp;

    static const char *const kKeys[] = {"elements", "stamp-ms", "more"};
    std::optional<std::string_view> options[3];
    if (!read_options(t, kTagWords, kKeys, options)) {
        return "a tag line ends in options elements=N, stamp-ms=N, more=N, each at most once";
    }
    if (options[0]) {
        const auto elements = whole_32(*options[0]);
        if (!elements) return "elements= needs a 32-bit whole number";
        tag.element_count = *elements;
    }
    if (options[1]) {
        const auto ms = whole_32(*options[1]);
        if (!ms) return "stamp-ms= needs a 32-bit whole number";
        tag.timestamp.milliseconds = *ms;
    }
    more_lines_ = 0;
    more_given_.reset();
    if (options[2]) {
        more_given_ = whole_32(*options[2]);
        if (!hex_open_ || !more_given_ || *more_given_ < 0) {
            return "more= needs a CODE:SIZE value and a whole number from 0";
        }
    }
    return {};
}

// more HEX: the next bytes of the last tag's CODE:SIZE value.
std::string ScriptBuilder::add_more(const Tokens &t) {
    if (!building_ || !hex_open_) return "a more line follows the tag line of a CODE:SIZE value";
    if (t.size() != 2) return "a more line is: more HEX";
    std::vector<unsigned char> &value = message_.message.tags[tags_ - 1].value;
    const auto bytes = hex_bytes(t[1], value.data() + hex_given_, value.size() - hex_given_);
    if (!bytes) return "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes";
    hex_given_ += *bytes;
    ++more_lines_;
    return {};
}

bool ScriptBuilder::take(const Tokens &tokens, int number, ScriptError &error) {
    std::string reason;
    if (tokens[0] == "message") {
        begin_message(number);
        reason = start_message(tokens);
    } else if (tokens[0] == "tag") {
        if (!building_) {
            reason = "a tag line before the first message line";
        } else if (!check_more_lines(error)) {
            return false;
        } else if (tags_ >= static_cast<std::size_t>(wire::kMostTags)) {
            reason = "a message holds at most 65536 tags";
        } else {
            tag_line_ = number;
            reason = add_tag(tokens);
            if (reason.empty() && !still_fits(message_.message.tags[tags_ - 1])) {
                error = ScriptError{message_line_, "the message does not fit in a frame of 16 MiB"};
                return false;
            }
        }
    } else if (tokens[0] == "more") {
        reason = add_more(tokens);
    } else {
        reason = "a line starts with message, tag or #";
    }
    if (reason.empty()) return true;
    error = ScriptError{number, std::move(reason)};
    return false;
}

namespace {

// Blank lines and comments, whatever the comment holds.
bool skipped(std::string_view line) {
    const std::size_t first = line.find_first_not_of(kTokenBlanks);
    return first == std::string_view::npos || line[first] == '#';
}

// Whether a line cut short is the start of a message line: the message
// before it may be whole. ("m" alone may be the start of a more line.)
bool starts_a_message_line(std::string_view line) {
    constexpr std::string_view kStart = "message ";
    return line.size() >= 2 &&
           (kStart.substr(0, line.size()) == line || line.substr(0, kStart.size()) == kStart);
}

}  // namespace

ScriptReader ScriptReader::recording_from(int fd) {
    ScriptReader reader(fd);
    reader.quoting_ = Quoting::kEscapes;
    return reader;
}

ScriptReader::Status ScriptReader::hold_message(ScriptMessage &message, ScriptError &error) {
    if (!builder_.check_whole(error)) {
        error_ = error;
        return Status::kError;
    }
    holding_ = true;
    held_line_ = lines_.number();
    builder_.finish(message);
    return Status::kMessage;
}

ScriptReader::Status ScriptReader::next(ScriptMessage &message, ScriptError &error) {
    if (!error_ && holding_) {
        holding_ = false;
        ScriptError found;
        if (!builder_.take(tokens_, held_line_, found)) error_ = found;
    }
    while (!error_) {
        const LineReader::Status status = lines_.next(line_);
        if (status == LineReader::Status::kEnd) break;
        if (status == LineReader::Status::kTooLong) {
            error_ = ScriptError{lines_.number(), "a line is longer than 1 MiB (1048576 bytes)"};
            break;
        }
        // Not the end of the script: what the failed read held is unknown.
        if (status == LineReader::Status::kReadError) {
            error_ = ScriptError{lines_.number() + 1, std::string("cannot read the script: ") +
                                                          std::strerror(lines_.read_error())};
            break;
        }
        if (lines_.unended() && !skipped(line_)) {
            error_ = ScriptError{lines_.number(),
                                 "the last line has no line end: the file is cut short", true};
            // The message before a message line cut short goes out when
            // it is whole; the error comes after it.
            ScriptError found;
            if (builder_.building() && starts_a_message_line(line_) &&
                builder_.check_whole(found)) {
                builder_.finish(message);
                return Status::kMessage;
            }
            break;
        }
        if (skipped(line_)) continue;
        if (std::string reason = split_tokens(line_, quoting_, tokens_, unescaped_);
            !reason.empty()) {
            error_ = ScriptError{lines_.number(), reason};
            break;
        }
        if (tokens_[0] == kEscapesLine) {
            if (tokens_.size() > 1) {
                error_ = ScriptError{lines_.number(), "an escapes line holds the word alone"};
                break;
            }
            quoting_ = Quoting::kEscapes;
            continue;
        }
        if (tokens_[0] == "message" && builder_.building()) return hold_message(message, error);
        ScriptError found;
        if (!builder_.take(tokens_, lines_.number(), found)) error_ = found;
    }
    if (!error_ && builder_.building()) {
        ScriptError found;
        if (builder_.check_whole(found)) {
            builder_.finish(message);
            return Status::kMessage;
        }
        found.cut_short = true;  // the last message, which the end of the file cut
        error_ = found;
    }
    if (error_) {
        error = *error_;
        return Status::kError;
    }
    return Status::kEnd;
}

std::string ScriptFile::open(const std::string &path) {
    path_ = path;
    reader_.reset();
    file_.reset(::open(path.c_str(), O_RDONLY | posix::kOpenCloseOnExec | posix::kOpenBinary));
    if (!file_) return "cannot open " + path + ": " + std::strerror(errno);
    // A folder opens, and gives no lines.
    struct stat status {};
    if (fstat(file_.get(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return path + ": is a folder, not a script";
    }
    reader_.emplace(file_.get());
    return "";
}

ScriptReader::Status ScriptFile::next(ScriptMessage &message, std::string &problem) {
    if (!reader_) return ScriptReader::Status::kEnd;
    ScriptError error;
    const ScriptReader::Status status = reader_->next(message, error);
    if (status == ScriptReader::Status::kError) {
        problem = path_ + ":" + std::to_string(error.line) + ": " + error.reason;
    }
    return status;
}

}  // namespace tavlo::script
