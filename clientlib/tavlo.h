/* TAVLO client library: the C interface and the records exchanged with it.
 *
 * Every record is a plain structure of fixed-width, little-endian, signed
 * fields with no padding; the layouts are checked at compile time below.
 * The header compiles as C11 and as C++.
 */
#ifndef TAVLO_H
#define TAVLO_H

#include <stdint.h>
#include <time.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TAVLO_API __attribute__((visibility("default")))
#else
#define TAVLO_API
#endif

#ifdef __cplusplus
#define TAVLO_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define TAVLO_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* Number of entries of a StatusBlock. */
#define TAVLO_STATUS_ENTRIES 10

/* The outcome of a library call. Entry i is (facility[i], error[i]); the
 * call failed when error[0] > 0; an error of -1 ends the list of entries. */
typedef struct StatusBlock {
    int32_t facility[TAVLO_STATUS_ENTRIES];
    int32_t error[TAVLO_STATUS_ENTRIES];
} StatusBlock;

/* Kind of a message returned by TAVLO_CLIENT_READ. Other codes can arrive. */
typedef int32_t MessageKind;
enum {
    TAVLO_MSG_GET_REPLY = 1,
    TAVLO_MSG_PUT_REPLY = 3,
    TAVLO_MSG_DECLARE_REPLY = 4,
    TAVLO_MSG_CANCEL_REPLY = 5,
    TAVLO_MSG_UNSOLICITED = 11
};

/* Data-type codes (how a value is stored in the packed value buffer) and
 * device-data-type codes (how the device holds the tag). Codes 1 to 7 mean
 * the same in both; 8 to 15 are device data types only; device data type 0
 * means "none given". */
enum {
    TAVLO_TYPE_NONE = 0,
    TAVLO_TYPE_REAL = 1,
    TAVLO_TYPE_SHORT = 2,
    TAVLO_TYPE_ASCII = 3,
    TAVLO_TYPE_LONG = 4,
    TAVLO_TYPE_DOUBLE = 5,
    TAVLO_TYPE_TIME = 6,
    TAVLO_TYPE_STRUCTURE = 7,
    TAVLO_TYPE_ENUMERATION = 8,
    TAVLO_TYPE_ORDINAL = 9,
    TAVLO_TYPE_DELTA_TIME = 10,
    TAVLO_TYPE_EXTERNAL_IDENTIFIER = 11,
    TAVLO_TYPE_CONTROL_BLOCK_ANTI_WINDUP = 12,
    TAVLO_TYPE_CONTROL_BLOCK_STATUS = 13,
    TAVLO_TYPE_ENGINEERING_UNIT = 14,
    TAVLO_TYPE_DESCRIPTION = 15
};

/* One entry of a descriptor array. An array for n tags has n + 1 entries:
 * entry 0 is the header (STRUCTURE, device data type 0, size n, element
 * count 1) and entry k + 1 describes tag k. */
typedef struct TypeDescriptor {
    int16_t data_type;
    int16_t device_data_type;
    int32_t size;          /* bytes of one value in the packed value buffer */
    int32_t element_count; /* 1 in every entry this system builds */
} TypeDescriptor;

/* A TIME value or a timestamp. */
typedef struct TimeRecord {
    int32_t milliseconds;
    int32_t seconds; /* since 1970-01-01 00:00:00 UTC */
} TimeRecord;

/* Status of one tag or one historical value. */
typedef struct TagStatus {
    int32_t status;
    int32_t facility;
    int32_t driver_status;
} TagStatus;

/* Per-tag request settings. OutputType: what the library outputs for a tag. */
typedef int32_t OutputType;
enum {
    TAVLO_OUTPUT_GOOD = 0,   /* output the value */
    TAVLO_OUTPUT_NAN = 1,    /* output not-a-number */
    TAVLO_OUTPUT_NONE = 2,   /* do not output the value */
    TAVLO_OUTPUT_SUSPECT = 3 /* output a suspect value */
};

/* Deadband of a tag: type 1 absolute, 2 relative (value a percentage). */
typedef struct Deadband {
    int32_t type;
    float value;
} Deadband;
enum { TAVLO_DEADBAND_ABSOLUTE = 1, TAVLO_DEADBAND_RELATIVE = 2 };

TAVLO_STATIC_ASSERT(sizeof(StatusBlock) == 80, "StatusBlock must be 80 bytes");
TAVLO_STATIC_ASSERT(sizeof(TypeDescriptor) == 12, "TypeDescriptor must be 12 bytes");
TAVLO_STATIC_ASSERT(sizeof(TimeRecord) == 8, "TimeRecord must be 8 bytes");
TAVLO_STATIC_ASSERT(sizeof(TagStatus) == 12, "TagStatus must be 12 bytes");
TAVLO_STATIC_ASSERT(sizeof(Deadband) == 8, "Deadband must be 8 bytes");
TAVLO_STATIC_ASSERT(sizeof(float) == 4 && sizeof(double) == 8, "IEEE 754 single and double");
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__)
TAVLO_STATIC_ASSERT(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the records are little-endian");
#endif

/* Make a block hold no error. */
TAVLO_API void TAVLO_CLIENT_INITBLK(StatusBlock *block);

/* Prepare the block that is then given to TAVLO_CLIENT_EXIT. */
TAVLO_API void TAVLO_SERVER_INITBLK(StatusBlock *block);

/* Ready the client side for an application (id of at most 31 characters). */
TAVLO_API void TAVLO_CLIENT_INIT(const char *app_id, StatusBlock *block);

/* Connect to a device (name of at most 31 characters). A call while
 * connected to the same device leaves the connection as it is. */
TAVLO_API void TAVLO_CLIENT_CONNECT(const char *device, StatusBlock *block);

/* Log the entries of `block`; `log_block` receives the outcome of logging. */
TAVLO_API void TAVLO_CLIENT_LOGBLK(const char *app_id, const StatusBlock *block,
                                   StatusBlock *log_block);

/* Read the next message. The slots receive the message; the arrays belong
 * to the library and stay valid until the next read, which must be given
 * the same pointer slots back. Slots marked "reserved" are the library's. */
TAVLO_API void TAVLO_CLIENT_READ(int32_t wait, MessageKind *kind, char **device, int32_t *unit,
                                 int32_t *list_id, int32_t *count, int32_t *sequence, char **names,
                                 void **reserved9, TypeDescriptor **descriptors, void **values,
                                 TagStatus **statuses, TimeRecord **timestamps, int32_t *reserved14,
                                 void **reserved15, StatusBlock *block);

/* Make `block` fail with the single entry (facility, code). */
TAVLO_API void TAVLO_CLIENT_LDBLK(int32_t facility, int32_t code, StatusBlock *block);

/* Local calendar time of a TimeRecord, in the form asctime() takes, or NULL
 * for a record that holds no valid time. The result is overwritten by the
 * next call. */
TAVLO_API struct tm *TAVLO_CLIENT_LOCALTIME(const TimeRecord *time);

/* Close the client side. */
TAVLO_API void TAVLO_CLIENT_EXIT(StatusBlock *block);

#ifdef __cplusplus
}
#endif

#endif /* TAVLO_H */
