/* one_tag_report DEVICE TAG: reads DEVICE until a message brings TAG a
 * value, prints the report of that tag alone with print_tag_values, and
 * exits 0; 1 when 100 reads brought none. The recipe of docs/clientlib.md,
 * built with nothing but the pkg-config line. */
#include <stdio.h>
#include <string.h>

#include "tavlo_testsupport.h"

/* Whether name entry `name` (`stride` bytes, NUL- or blank-ended) is `tag`. */
static int is_tag(const char *name, int32_t stride, const char *tag) {
    const char *end = memchr(name, '\0', (size_t)stride);
    size_t length = end != NULL ? (size_t)(end - name) : (size_t)stride;
    while (length > 0 && name[length - 1] == ' ') --length;
    return length == strlen(tag) && memcmp(name, tag, length) == 0;
}

/* Prints tag k of a read that carries values, as a message of one tag:
 * the descriptor array of a slice needs a header entry of its own, and the
 * value of tag k starts after the values of the tags before it. */
static void print_one_tag(const char *names, const TypeDescriptor *descriptors,
                          const unsigned char *values, const TagStatus *statuses,
                          const TimeRecord *timestamps, int32_t k) {
    TypeDescriptor slice[2] = {{TAVLO_TYPE_STRUCTURE, 0, 1, 1}, descriptors[k + 1]};
    size_t offset = 0;
    int32_t j;
    for (j = 0; j < k; ++j) offset += (size_t)descriptors[j + 1].size;
    print_tag_values(names + (size_t)k * (size_t)tag_name_stride, slice, values + offset,
                     &statuses[k], &timestamps[k], 1);
}

int main(int argc, char **argv) {
    StatusBlock block;
    MessageKind kind;
    char *device;
    int32_t unit, list_id, count, sequence, reserved14;
    char *names = NULL;
    void *reserved9 = NULL, *values = NULL, *reserved15 = NULL;
    TypeDescriptor *descriptors = NULL;
    TagStatus *statuses = NULL;
    TimeRecord *timestamps = NULL;
    int reads, found = 0;

    if (argc != 3) {
        fprintf(stderr, "usage: one_tag_report DEVICE TAG\n");
        return 2;
    }
    TAVLO_CLIENT_INITBLK(&block);
    TAVLO_CLIENT_INIT("ONETAG", &block);
    for (reads = 0; reads < 100 && !found && block.error[0] <= 0; ++reads) {
        int32_t k;
        TAVLO_CLIENT_CONNECT(argv[1], &block);
        TAVLO_CLIENT_READ(50, &kind, &device, &unit, &list_id, &count, &sequence, &names,
                          &reserved9, &descriptors, &values, &statuses, &timestamps, &reserved14,
                          &reserved15, &block);
        if (block.error[0] > 0) {
            TAVLO_CLIENT_INITBLK(&block);
            continue;
        }
        if (kind != TAVLO_MSG_GET_REPLY && kind != TAVLO_MSG_PUT_REPLY &&
            kind != TAVLO_MSG_UNSOLICITED) {
            continue;
        }
        tag_name_stride = name_stride_of_read(names);
        for (k = 0; k < count && !found; ++k) {
            if (is_tag(names + (size_t)k * (size_t)tag_name_stride, tag_name_stride, argv[2])) {
                print_one_tag(names, descriptors, values, statuses, timestamps, k);
                found = 1;
            }
        }
    }
    TAVLO_SERVER_INITBLK(&block);
    TAVLO_CLIENT_EXIT(&block);
    return found ? 0 : 1;
}
