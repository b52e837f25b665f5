// The output-type and deadband menus of the tag definition dialogue.
#include "request_settings_menus.h"

#include <cstdio>

#include "console_input.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

bool ask_output_type(const char *name, OutputType &output_type) {
    int32_t choice = 0;
    do {
        std::fputs(
            "\nOutput Types"
            "\n------------"
            "\n1)Output the value"
            "\n2)Output Not a Number"
            "\n3)Do not output the value"
            "\n4)Output a suspect value",
            stdout);
        std::printf("\n\nPlease select output type for tag '%s': ", name);
        choice = 0;
        read_long(&choice);
        if (console_input_ended()) return false;
    } while (choice < 1 || choice > 4);
    output_type = choice - 1;
    return true;
}

bool ask_deadband(const char *name, Deadband &deadband) {
    int type = 0;
    do {
        std::fputs(
            "\nDeadband Type"
            "\n------------"
            "\n1)Absolute"
            "\n2)Relative",
            stdout);
        std::printf("\n\nPlease select deadband type for tag '%s': ", name);
        read_int(&type);
        if (console_input_ended()) return false;
    } while (type != TAVLO_DEADBAND_ABSOLUTE && type != TAVLO_DEADBAND_RELATIVE);
    float value = 0.0f;
    prompt_float(type == TAVLO_DEADBAND_ABSOLUTE ? "\nPlease enter absolute deadband value: "
                                                 : "\nPlease enter relative deadband percentage: ",
                 &value);
    if (console_input_ended()) return false;
    deadband = Deadband{type, value};
    return true;
}

}  // namespace tavlo::ts
