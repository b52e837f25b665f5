/* TAVLO test-support library: console reports of statuses and values,
 * console input, interactive tag definition and tag-list file loaders.
 *
 * All output goes to standard output through printf formatting; as a rule
 * every printed line begins with "\n" and the next line ends it.
 * The header compiles as C11 and as C++.
 */
#ifndef TAVLO_TESTSUPPORT_H
#define TAVLO_TESTSUPPORT_H

#include <stdint.h>

#include "tavlo.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TAVLO_TS_API __attribute__((visibility("default")))
#else
#define TAVLO_TS_API
#endif

/* ---- Tag-name arrays --------------------------------------------------- */

/* Width in bytes of one entry of the current tag-name array: 256 (names of
 * up to 255 characters) or 40 (the compact layout: names blank-padded to 39
 * characters, NUL as the 40th byte). 0 until someone sets it. */
extern TAVLO_TS_API int32_t tag_name_stride;

/* The 6-character short name of a type code from -1 to 28 ("REAL  " for 1,
 * "?0?   " for 0, "INVDT " for -1); NULL for any other code. */
TAVLO_TS_API const char *short_type_name(int32_t code);

/* ---- Reports ----------------------------------------------------------- */

/* Print the three status lines of one tag: the text of its status code, its
 * facility and its driver status. */
TAVLO_TS_API void print_tag_status(const TagStatus *tag_status);

/* Print one block of lines per tag: name, type lines, value, timestamp and
 * status. `descriptors`, `values` and `timestamps` may be NULL; values are
 * printed only when descriptors are given. Names are read at most
 * `tag_name_stride` bytes when the stride is positive, so an entry without
 * a NUL prints as its characters. The value buffer is never written.
 *
 * An ASCII value prints at most `size` characters, stopping at a NUL,
 * left-justified in a field `size` characters wide. An ASCII size outside
 * 1 to 999999999 prints an empty value line "\nValue= ". A REAL, SHORT,
 * LONG, DOUBLE or TIME value whose size differs from its type's width is
 * read from its first min(size, width) bytes, the rest taken as zero. A
 * negative size never moves the value position backwards. A NULL `names`
 * prints empty names; NULL `statuses` leaves out the status lines. */
TAVLO_TS_API void print_tag_values(const char *names, const TypeDescriptor *descriptors,
                                   const void *values, const TagStatus *statuses,
                                   const TimeRecord *timestamps, int32_t count);

/* ---- Console input ---------------------------------------------------- */

/* Reads one line of standard input (the line feed is consumed, not kept)
 * and stores its first size - 1 characters and a NUL. Lines of up to 1199
 * characters are read whole; the rest of a longer line is dropped, never
 * left for the next read. End of input reads as an empty line. Standard
 * output is flushed first, so a prompt is visible before the read waits.
 * Always returns 0. */
TAVLO_TS_API int32_t read_line(char *buffer, int32_t size);

/* Prints the prompt as it stands, then read_line(buffer, size). */
TAVLO_TS_API int32_t prompt_line(const char *prompt, char *buffer, int32_t size);

/* ---- Interactive tag definition ---------------------------------------- */

/* ---- Tag-list files ---------------------------------------------------- */

/* ---- Historical value report ------------------------------------------- */

#ifdef __cplusplus
}
#endif

#endif /* TAVLO_TESTSUPPORT_H */
