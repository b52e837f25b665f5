/* range_check: an example test program built on the TAVLO client library
 * and the test-support library. It checks that a device sends every tag of
 * a list, with the listed types and a value in the listed range.
 *
 *     range_check DEVICE TAG_LIST [READS]
 *
 * TAG_LIST is a tag-list file in the loaders' "types" format with the range
 * after the types, one tag a line (at most 100 tags):
 *
 *     name  data-type  device-data-type  low  high
 *     BOILER.TEMPERATURE  REAL  REAL  55  85
 *
 * The device data type is required here, or the low number would be taken
 * for it. ASCII tags have no range and are refused. A TIME value is checked
 * by its seconds (and milliseconds as a fraction).
 *
 * The program connects to DEVICE and reads messages (at most READS reads,
 * 100 unless given) until every listed tag has come in a message that
 * carries values. The first value of each tag is checked. It prints a line
 * per tag, "ok" or "FAIL" with the reason, then a summary, and exits with 0
 * when every tag passed, 1 when one failed, 2 when the command line, the
 * list or the client library could not be used.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tavlo.h"
#include "tavlo_testsupport.h"

enum {
    MOST_TAGS = 100,
    NAME_ENTRY = 256, /* one entry of the loader's tag-name array */
    LINE_SIZE = 256,  /* the loaders read a line in pieces of 255 characters */
    DEFAULT_READS = 100,
    READ_WAIT = 50 /* hundredths of a second */
};

typedef struct Expected {
    char name[NAME_ENTRY];
    TypeDescriptor type;
    double low;
    double high;
    int seen;
} Expected;

static Expected expected[MOST_TAGS];
static int32_t expected_count;

/* The keywords of the type codes, for messages. */
static const char *type_keyword(int32_t code) {
    static const char *const keywords[] = {
        "NONE", "REAL",    "SHORT", "ASCII", "LONG", "DOUBLE", "TIME", "STRUCTURE",
        "ENUM", "ORDINAL", "DTIME", "EXTID", "CBAW", "CBST",   "EU",   "DESC"};
    return code >= 0 && code < 16 ? keywords[code] : "UNKNOWN";
}

/* Name k of a tag-name array whose entries are `stride` bytes: up to its
 * first NUL within the entry, without the blanks that pad it. */
static void copy_name(char *name, const char *names, int32_t stride, int32_t k) {
    const char *entry = names + (size_t)k * (size_t)stride;
    size_t length = 0;
    while (length < (size_t)stride - 1 && entry[length] != '\0') ++length;
    while (length > 0 && entry[length - 1] == ' ') --length;
    memcpy(name, entry, length);
    name[length] = '\0';
}

/* The low and high numbers of each line, read as the loader read the lines:
 * in pieces of up to 255 characters, tokens cut by next_token. */
static int read_ranges(const char *path) {
    FILE *file = fopen(path, "r");
    char line[LINE_SIZE];
    char token[LINE_SIZE];
    int32_t k;
    if (file == NULL) return 0;
    for (k = 0; k < expected_count && fgets(line, LINE_SIZE, file) != NULL; ++k) {
        int32_t position = 0;
        int32_t length = 0;
        char *end;
        int i;
        for (i = 0; i < 3; ++i) next_token(line, &position, token, LINE_SIZE, &length);
        next_token(line, &position, token, LINE_SIZE, &length);
        expected[k].low = strtod(token, &end);
        if (length == 0 || *end != '\0') break;
        next_token(line, &position, token, LINE_SIZE, &length);
        expected[k].high = strtod(token, &end);
        if (length == 0 || *end != '\0') break;
    }
    fclose(file);
    if (k < expected_count) {
        fprintf(stderr, "%s: tag %s: a low and a high number must follow the two types\n", path,
                expected[k].name);
        return 0;
    }
    return 1;
}

/* Loads the list; on a fault prints why to standard error and returns 0. */
static int load_expectations(const char *path) {
    static char names[MOST_TAGS * NAME_ENTRY];
    static TypeDescriptor descriptors[MOST_TAGS + 1];
    StatusBlock block;
    int32_t line = 0;
    int32_t k;
    /* The loader sets the stride to 40 only when it chose the compact
     * layout; otherwise it leaves it as it was. */
    tag_name_stride = NAME_ENTRY;
    expected_count =
        load_tag_list_file(path, names, descriptors, NULL, NULL, NULL, MOST_TAGS, &block, &line);
    if (block.error[0] > 0) {
        if (line > 0) {
            fprintf(stderr, "%s:%d: ", path, line);
        } else { /* an error of no line: the file cannot be opened, say */
            fprintf(stderr, "%s: ", path);
        }
        fprintf(stderr, "%s (error %d)\n", tag_list_error_text(block.error[0]), block.error[0]);
        return 0;
    }
    for (k = 0; k < expected_count; ++k) {
        copy_name(expected[k].name, names, tag_name_stride, k);
        expected[k].type = descriptors[k + 1]; /* entry 0 is the header */
        if (expected[k].type.data_type == TAVLO_TYPE_ASCII) {
            fprintf(stderr, "%s: tag %s: an ASCII tag has no range\n", path, expected[k].name);
            return 0;
        }
    }
    return read_ranges(path);
}

/* The value at `value` as a number; 0 when its size is not its type's. */
static int value_as_number(const TypeDescriptor *type, const unsigned char *value, double *number) {
    float real;
    int16_t short_value;
    int32_t long_value;
    TimeRecord time;
    switch (type->data_type) {
        case TAVLO_TYPE_REAL:
            if (type->size != 4) return 0;
            memcpy(&real, value, 4);
            *number = real;
            return 1;
        case TAVLO_TYPE_SHORT:
            if (type->size != 2) return 0;
            memcpy(&short_value, value, 2);
            *number = short_value;
            return 1;
        case TAVLO_TYPE_LONG:
            if (type->size != 4) return 0;
            memcpy(&long_value, value, 4);
            *number = long_value;
            return 1;
        case TAVLO_TYPE_DOUBLE:
            if (type->size != 8) return 0;
            memcpy(number, value, 8);
            return 1;
        case TAVLO_TYPE_TIME:
            if (type->size != 8) return 0;
            memcpy(&time, value, 8);
            *number = time.seconds + time.milliseconds / 1000.0;
            return 1;
        default: return 0;
    }
}

/* A decimal number from 1 to 1000000; 0 for any other text. */
static long whole_number(const char *text) {
    char *end;
    const long number = strtol(text, &end, 10);
    return end != text && *end == '\0' && number >= 1 && number <= 1000000 ? number : 0;
}

/* Checks the first value of a listed tag; returns 1 when it passes. */
static int check_value(const Expected *tag, const TypeDescriptor *type,
                       const unsigned char *value) {
    double number;
    if (type->data_type != tag->type.data_type ||
        type->device_data_type != tag->type.device_data_type) {
        printf("FAIL %s: received as %s %s, listed as %s %s\n", tag->name,
               type_keyword(type->data_type), type_keyword(type->device_data_type),
               type_keyword(tag->type.data_type), type_keyword(tag->type.device_data_type));
        return 0;
    }
    if (!value_as_number(type, value, &number)) {
        printf("FAIL %s: a value of %d bytes\n", tag->name, type->size);
        return 0;
    }
    if (!(number >= tag->low && number <= tag->high)) { /* NaN too */
        printf("FAIL %s = %.15g, expected %.15g to %.15g\n", tag->name, number, tag->low,
               tag->high);
        return 0;
    }
    printf("ok   %s = %.15g\n", tag->name, number);
    return 1;
}

/* Walks the tags of one message that carries values and checks each listed
 * tag not seen before. Returns the number of failures; counts the tags
 * seen into *seen. */
static int check_message(const char *names, const TypeDescriptor *descriptors,
                         const unsigned char *values, int32_t count, int32_t *seen) {
    const int32_t stride = name_stride_of_read(names);
    size_t offset = 0; /* values lie back to back in tag order */
    int failures = 0;
    int32_t k;
    int32_t e;
    for (k = 0; k < count; ++k) {
        const TypeDescriptor *type = &descriptors[k + 1];
        char name[NAME_ENTRY];
        copy_name(name, names, stride, k);
        for (e = 0; e < expected_count; ++e) {
            if (expected[e].seen || strcmp(expected[e].name, name) != 0) continue;
            expected[e].seen = 1;
            ++*seen;
            failures += !check_value(&expected[e], type, values + offset);
        }
        if (type->size > 0) offset += (size_t)type->size;
    }
    return failures;
}

int main(int argc, char **argv) {
    StatusBlock block;
    long reads = DEFAULT_READS;
    long attempt;
    int32_t seen = 0;
    int failures = 0;
    int32_t e;
    /* The read's slots, handed back to the library on every read. */
    MessageKind kind;
    char *device;
    int32_t unit, list_id, count, sequence, reserved14;
    char *names = NULL;
    void *reserved9 = NULL, *values = NULL, *reserved15 = NULL;
    TypeDescriptor *descriptors = NULL;
    TagStatus *statuses = NULL;
    TimeRecord *timestamps = NULL;

    if (argc == 4) reads = whole_number(argv[3]);
    if (argc < 3 || argc > 4 || reads < 1) {
        fprintf(stderr, "usage: range_check DEVICE TAG_LIST [READS]\n");
        return 2;
    }
    if (!load_expectations(argv[2])) return 2;
    TAVLO_CLIENT_INITBLK(&block);
    TAVLO_CLIENT_INIT("RANGECHECK", &block);
    if (block.error[0] > 0) {
        fprintf(stderr, "range_check: the client library did not start: facility %d error %d\n",
                block.facility[0], block.error[0]);
        return 2;
    }
    for (attempt = 0; attempt < reads && seen < expected_count; ++attempt) {
        TAVLO_CLIENT_CONNECT(argv[1], &block); /* keeps a connection that is up */
        TAVLO_CLIENT_READ(READ_WAIT, &kind, &device, &unit, &list_id, &count, &sequence, &names,
                          &reserved9, &descriptors, &values, &statuses, &timestamps, &reserved14,
                          &reserved15, &block);
        if (block.error[0] > 0) continue;
        /* Only these kinds carry descriptors and values. */
        if (kind == TAVLO_MSG_GET_REPLY || kind == TAVLO_MSG_PUT_REPLY ||
            kind == TAVLO_MSG_UNSOLICITED) {
            failures += check_message(names, descriptors, values, count, &seen);
        }
    }
    for (e = 0; e < expected_count; ++e) {
        if (expected[e].seen) continue;
        printf("FAIL %s: no value received in %ld reads\n", expected[e].name, attempt);
        ++failures;
    }
    printf("%d of %d tags failed\n", failures, expected_count);
    TAVLO_SERVER_INITBLK(&block);
    TAVLO_CLIENT_EXIT(&block);
    return failures == 0 ? 0 : 1;
}
