/* Both public headers compile as C11, and a C program uses them. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include "tavlo.h"
#include "tavlo_testsupport.h"

static int failures = 0;

#define CHECK(cond)                                                                  \
    do {                                                                             \
        if (!(cond)) {                                                               \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures;                                                              \
        }                                                                            \
    } while (0)

int main(void) {
    StatusBlock block;
    TagStatus status = {-1, 0, 0};
    TimeRecord epoch = {0, 0};
    TimeRecord invalid = {-1, 0};
    char names[256];
    TypeDescriptor descriptors[2];
    int32_t value_counts[1];
    int32_t line;

    /* The record layouts, field by field. */
    CHECK(offsetof(StatusBlock, error) == 40);
    CHECK(offsetof(TypeDescriptor, device_data_type) == 2);
    CHECK(offsetof(TypeDescriptor, size) == 4);
    CHECK(offsetof(TypeDescriptor, element_count) == 8);
    CHECK(offsetof(TimeRecord, seconds) == 4);
    CHECK(offsetof(TagStatus, driver_status) == 8);
    CHECK(offsetof(Deadband, value) == 4);

    /* The client library, called from C. */
    TAVLO_CLIENT_LDBLK(10, 10003, &block);
    CHECK(block.facility[0] == 10 && block.error[0] == 10003 && block.error[1] == -1);
    TAVLO_CLIENT_INITBLK(&block);
    CHECK(block.error[0] <= 0);
    CHECK(TAVLO_CLIENT_LOCALTIME(&epoch) != NULL);
    CHECK(TAVLO_CLIENT_LOCALTIME(&invalid) == NULL);

    /* The test-support library, called from C. */
    CHECK(tag_name_stride == 0);
    CHECK(strcmp(short_type_name(TAVLO_TYPE_REAL), "REAL  ") == 0);
    CHECK(name_stride_of_read("BOILER.TEMPERATURE") == 40);
    line = -1;
    CHECK(load_tag_list_file("/nonexistent/tavlo/list.txt", names, NULL, NULL, NULL, NULL, 1,
                             &block, &line) == 0);
    CHECK(block.facility[0] == TAVLO_LOAD_FACILITY && block.error[0] == TAVLO_LOAD_OPEN_FAILED);
    CHECK(line == 0);
    CHECK(load_historical_tag_list_file(NULL, names, descriptors, value_counts, 1, &block, NULL) ==
          0);
    CHECK(strcmp(tag_list_error_text(block.error[0]), "the file cannot be opened or read") == 0);
    print_tag_status(&status);
    printf("\n");
    return failures == 0 ? 0 : 1;
}
