// define_tags: the console dialogue that defines a list of tags with their
// types, values, output types and deadbands.
#include "request_settings_menus.h"
#include "tag_dialogue.h"
#include "tag_value_entry.h"
#include "tavlo_testsupport.h"

using namespace tavlo::ts;

namespace {

// The caller's records beside the names; null when not asked for.
struct TagRecords {
    TypeDescriptor *descriptors;
    unsigned char *next_value;  // where the next value goes in the value buffer
    OutputType *output_types;
    Deadband *deadbands;
};

// Asks every question about tag `slot` + 1; false when input ended.
bool define_tag(TagNameEntry &names, int32_t slot, TagRecords &records) {
    if (!names.ask(slot)) return false;
    const char *name = names.name();
    if (records.descriptors != nullptr) {
        TypeDescriptor &entry = records.descriptors[slot + 1];
        if (!ask_data_type("data type", name, entry)) return false;
        if (!ask_device_data_type(name, entry)) return false;
        if (records.next_value != nullptr) {
            if (!ask_value(entry, name, records.next_value)) return false;
            records.next_value += entry.size;
        }
    }
    if (records.output_types != nullptr && !ask_output_type(name, records.output_types[slot])) {
        return false;
    }
    return records.deadbands == nullptr || ask_deadband(name, records.deadbands[slot]);
}

}  // namespace

extern "C" void define_tags(char *names, TypeDescriptor *descriptors, void *values,
                            OutputType *output_types, Deadband *deadbands, int32_t count) {
    TagRecords records{descriptors, static_cast<unsigned char *>(values), output_types, deadbands};
    hold_tag_dialogue(names, descriptors, count, [&](TagNameEntry &name_entry, int32_t slot) {
        return define_tag(name_entry, slot, records);
    });
}
