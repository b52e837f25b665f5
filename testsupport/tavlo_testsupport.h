/* TAVLO test-support library: console reports of statuses and values,
 * console input, interactive tag definition and tag-list file loaders.
 *
 * All output goes to standard output with the bytes of printf formatting
 * ("%f" six decimals, "%d" signed decimals); each report hands its text to
 * the stream in one fwrite, so it stays in order with the caller's own
 * output. As a rule every printed line begins with "\n" and the next line
 * ends it.
 * The header compiles as C11 and as C++.
 */
#ifndef TAVLO_TESTSUPPORT_H
#define TAVLO_TESTSUPPORT_H

#include <stdint.h>

#include "tavlo.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(TAVLO_TS_BUILDING)
#define TAVLO_TS_API __declspec(dllexport)
#elif defined(_WIN32)
#define TAVLO_TS_API __declspec(dllimport)
#elif defined(__GNUC__)
#define TAVLO_TS_API __attribute__((visibility("default")))
#else
#define TAVLO_TS_API
#endif

/* ---- Tag-name arrays --------------------------------------------------- */

/* Width in bytes of one entry of the current tag-name array: 256 (names of
 * up to 255 characters) or 40 (the compact layout: names blank-padded to 39
 * characters, NUL as the 40th byte). 0 until someone sets it. */
extern TAVLO_TS_API int32_t tag_name_stride;

/* The width of the entries of a tag-name array that TAVLO_CLIENT_READ
 * returned, by the rule the receiver follows: 40 (the compact layout) when
 * the first name, up to its NUL, has at most 40 characters, else 256. At
 * most 41 bytes of `names` are read; a NULL `names` gives 40. After each
 * read, before print_tag_values or a walk of the names:
 *     tag_name_stride = name_stride_of_read(names);
 * Name k then starts at names + k * stride; take it up to its first NUL
 * within the stride and drop the blanks that may pad it. How to walk the
 * other arrays of a read is in docs/testsupport.md. */
TAVLO_TS_API int32_t name_stride_of_read(const char *names);

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
 * negative size never moves the value position backwards, nor does a
 * tag_name_stride of 0 or less move the name position. A NULL `names`
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

/* The number readers read one line through read_line into a 256-byte line,
 * so only its first 255 characters are converted, leniently: leading white
 * space is skipped and the longest number that follows is taken, the rest
 * ignored; text without a leading number gives 0 ("12abc" is 12, "abc" 0).
 * There is no range check. End of input reads as an empty line. A NULL
 * target reads the line and stores nothing. All return 0. */

/* Stores the line's value as atol takes it, its low 32 bits; an empty line
 * leaves the target as it was. */
TAVLO_TS_API int32_t read_long(int32_t *target);

/* read_long into a temporary that starts at 0, then stores it: an empty
 * line gives 0. */
TAVLO_TS_API int32_t read_int(int *target);

/* As read_int, storing the low 16 bits (70000 is stored as 4464). */
TAVLO_TS_API int32_t read_short(int16_t *target);

/* Stores the line's value as atof takes it; an empty line leaves the target
 * as it was. */
TAVLO_TS_API int32_t read_double(double *target);

/* read_double into a temporary that starts at 0.0, then stores it rounded
 * to the nearest float (beyond the float range, an infinity): an empty line
 * gives 0.0. */
TAVLO_TS_API int32_t read_float(float *target);

/* Print the prompt as it stands, then read_float (or read_long) into a
 * temporary that starts at 0 and store it: an empty line gives 0. */
TAVLO_TS_API void prompt_float(const char *prompt, float *target);
TAVLO_TS_API void prompt_long(const char *prompt, int32_t *target);

/* Result codes of parse_time_of_day and parse_date:
 *    0  accepted, the result stored
 *   -1  a required "-" is missing
 *   -2  a field is empty, or the first field (hour, month) is out of range
 *   -3  a later field (minutes, seconds; day) is out of range
 *   -4  the text is longer than 255 characters
 *   -5  (parse_date) the date is outside a signed 32-bit seconds count
 * Fields are read as atoi reads them (characters after a field's leading
 * number are ignored), but a number too large for int is out of range, not
 * wrapped. The text is never changed; a NULL text reads as an empty one and
 * a NULL result is not written. */

/* Parses "HH-MM-SS" or "HH-MM" (hour 0 to 23, minutes and seconds 0 to 59)
 * into seconds since midnight. *seconds is written in every case: 0 unless
 * the code is 0. */
TAVLO_TS_API int32_t parse_time_of_day(const char *text, int32_t *seconds);

/* Parses "MM-DD-YY" (month 1 to 12, day 1 to 31, a day past the end of its
 * month rolling into the next) into seconds since 1970-01-01 00:00:00 UTC
 * of 00:00:00 local standard time on that day: the daylight-saving flag is
 * 0 whatever the season. The year counts from 1900, but a year below 70
 * has 100 added: 00 to 69 are 2000 to 2069, 70 to 99 are 1970 to 1999, 120
 * is 2020. The date is converted with a 64-bit mktime; a result outside
 * the signed 32-bit range gives -5 and *seconds -1 (01-01-69, which is
 * 2069, does). *seconds is 0 for the codes -1 to -4. Adding a
 * parse_time_of_day result gives the instant of that local standard time
 * on that date. */
TAVLO_TS_API int32_t parse_date(const char *text, int32_t *seconds);

/* Reads lines until one is a single Y or N, either case, and returns 1 for
 * Y, 0 for N; prints no question of its own. Every other line (empty, longer,
 * another character) prints "\nInvalid entry, please re-enter: " and is read
 * again. Lines are read with a size of 255: past 254 characters they are cut
 * and the rest dropped. At end of input it answers no: 0. */
TAVLO_TS_API int32_t ask_yes_no(void);

/* Prints "\n\nPlease press RETURN to continue...", flushes standard output
 * and reads exactly one character with getchar, which it returns (EOF at end
 * of input). Anything after that character stays in the input. */
TAVLO_TS_API int wait_for_return(void);

/* Flushes standard output, then clears the screen by passing "clear" to the
 * command interpreter (system); returns what system returns. */
TAVLO_TS_API int clear_screen(void);

/* ---- Interactive tag definition ---------------------------------------- */

/* The two dialogues ask their questions through the console readers above,
 * tag after tag, and fill the caller's records. A menu or a size whose
 * answer is not one of its choices is printed again in full, a time or date
 * that does not parse is asked again, with no error message.
 *
 * Names: tag k's name (at most 255 characters, the rest of a longer line
 * dropped) is written to the front of entry k of `names`, `count` entries
 * of 256 bytes, with a NUL in the entry's byte 255; the bytes between keep
 * what they held. When every name is shorter than 40 characters the array
 * is then rewritten in the compact 40-byte layout (each name blank-padded
 * to 39 characters and a NUL, the rest of the `count` x 256 bytes blanks)
 * and tag_name_stride set to 40; otherwise the 256-byte entries stay and
 * tag_name_stride is not touched. With `descriptors`, entry 0 is written
 * first: STRUCTURE, device data type 0, size `count`, element count 1.
 *
 * End of input: a dialogue stops at the first question that finds no line
 * left to read (a last line without its line feed is still an answer). It
 * prints "\nInput ended during tag <k> of <count>: the tag definition stops
 * here.", stores nothing for that question nor for the record it belongs to
 * (a descriptor's data type and size, a value, a deadband's type and value
 * go in together), asks no more, and leaves every later record as it was.
 * The names are still finished as above, from the names entered; in the
 * compact layout an entry never asked for is 40 blanks without a NUL.
 *
 * A NULL `names` or a negative `count` asks nothing and touches nothing.
 * When the working name copy cannot be allocated, the dialogue prints
 * "\nNo memory for a working copy of <count> tag names: no tag is defined."
 * and touches nothing. The working copy is freed before the call returns. */

/* Defines `count` tags. For each: the name; with `descriptors`, the data
 * type (REAL, DOUBLE, SHORT, LONG, ASCII with a size of 1 to 1200, TIME),
 * the device data type (RETURN for the data type) and, with `values` too,
 * a value, packed into `values` back to back (room for `count` x 1200
 * bytes covers any answers); with `output_types`, an output type (0 to 3);
 * with `deadbands`, a deadband type (1 absolute, 2 relative) and value.
 * An empty value answer stores 0; ASCII text is cut to the size (and to
 * the 1199 characters read_line keeps) and zero-filled; a TIME value is
 * asked as seconds, then milliseconds. */
TAVLO_TS_API void define_tags(char *names, TypeDescriptor *descriptors, void *values,
                              OutputType *output_types, Deadband *deadbands, int32_t count);

/* Defines `count` tags for a historical read. For each: the name; with
 * `descriptors`, the data type and device data type as define_tags asks
 * them (but "Please select type for tag '<name>': "), then the number of
 * values wanted (stored as typed, an empty line 0) into `value_counts`,
 * and a start and an end, each a time of day (HH-MM-SS or HH-MM) and a
 * date (MM-DD-YY), read into 9-byte fields (so cut to 8 characters), into
 * `start_times` and `end_times`: milliseconds 0, seconds the time of day
 * plus the date (parse_time_of_day, parse_date). A date that puts that sum
 * beyond the signed 32-bit range is asked again. The end is not compared
 * with the start. `value_counts`, `start_times` and `end_times` belong with
 * `descriptors`; any of them NULL is not asked for. */
TAVLO_TS_API void define_historical_tags(char *names, TypeDescriptor *descriptors,
                                         int32_t *value_counts, TimeRecord *start_times,
                                         TimeRecord *end_times, int32_t count);

/* ---- Tag-list files ---------------------------------------------------- */

/* A tag-list file holds one tag per line, in tokens separated by blanks or
 * tabs; a token between double quotes may hold blanks. Keywords are upper
 * case and compared case-sensitively (the format: docs/tag-list-format.md).
 * A load records its first error in the caller's StatusBlock as the entry
 * (TAVLO_LOAD_FACILITY, code) and ends there; the console loaders print its
 * message, the path loaders print nothing. */
enum {
    TAVLO_LOAD_FACILITY = 10,
    TAVLO_LOAD_OPEN_FAILED = 10001,       /* the file cannot be opened, is a
                                             folder, or (path loaders)
                                             cannot be read */
    TAVLO_LOAD_BAD_DEADBAND_TYPE = 10002, /* deadband type neither ABS nor REL */
    TAVLO_LOAD_NO_VALUE = 10003,          /* value missing, or no value buffer */
    TAVLO_LOAD_BAD_OUTPUT_TYPE = 10004,   /* output type missing or unknown */
    TAVLO_LOAD_BAD_SIZE = 10005,          /* an ASCII size of 0 or below */
    TAVLO_LOAD_BAD_TYPE = 10006,          /* unknown data or device data type */
    TAVLO_LOAD_TOO_MANY_TAGS = 10007,     /* the file ends before `count` lines */
    TAVLO_LOAD_NO_MEMORY = 10008,         /* no memory for the working name copy */
    TAVLO_LOAD_NEGATIVE_COUNT = 10009     /* `count` below 0 */
};

/* Cuts the token that starts at offset *position of the NUL-terminated
 * `line` into `field` (field_size bytes, always NUL-terminated), stores its
 * length in *length and moves *position to the start of the token after it.
 * Blanks, tabs and newlines separate tokens. A token that begins with a
 * double quote runs to the next double quote, the quotes not included, or
 * to the end of the line (its newline or NUL) when no quote follows; two
 * adjacent quotes give an empty token. A word of more than field_size - 1
 * characters is cut there and its rest is the next token; a longer quoted
 * token is cut likewise but used up whole. When no token is left the field
 * is empty and *length 0; a *position at the line's NUL or outside the line
 * stays as it is. A field_size below 1 stores nothing. */
TAVLO_TS_API void next_token(const char *line, int32_t *position, char *field, int32_t field_size,
                             int32_t *length);

/* Code 1 to 6 of a data-type keyword: REAL, SHORT, ASCII, LONG, DOUBLE,
 * TIME (the whole token, upper case); -1 for any other token. */
TAVLO_TS_API int32_t data_type_from_keyword(const char *token);

/* Code of a device-data-type keyword: the six data-type keywords, ENUM 8,
 * ORDINAL 9, DTIME 10, EXTID 11, CBAW 12, CBST 13, EU 14, DESC 15; -1 for
 * any other token. */
TAVLO_TS_API int32_t device_data_type_from_keyword(const char *token);

/* Asks for the name of a tag-list file ("\n\nPlease enter filename: ",
 * through prompt_line), reads at most `count` lines of it, one tag per
 * line, and fills what the caller passes:
 *   names         room for `count` entries of 256 bytes; required. A name
 *                 is written to the front of its entry with a NUL in the
 *                 entry's byte 255, the bytes between left as they were.
 *   descriptors   `count` + 1 entries, entry 0 the header; or NULL.
 *   values        the packed values; or NULL. The loader cannot know the
 *                 buffer's size: the caller provides `count` x 1200 bytes.
 *   output_types  `count` entries; or NULL.
 *   deadbands     `count` entries; or NULL.
 * The outputs select the tokens of every line:
 *   no descriptors:                 name
 *   descriptors:                    name, data type, [device data type]
 *   and output types and values:    name, data type, value, output type
 *                                   (GOOD, NAN, NONE, SUSPECT),
 *                                   [device data type]
 *   and deadbands:                  name, data type, deadband type (ABS,
 *                                   REL), deadband value, [device data type]
 * A missing device data type is the data type. ASCII tags get the size 1200,
 * or with values the length of the value token, appended without a NUL;
 * TIME values are seconds. A value or deadband value that does not convert
 * is stored as 0. A blank line takes a slot; in the names and deadbands
 * formats it leaves the slot as it was.
 * When the file and `count` lines were read, or the file ended early
 * (TAVLO_LOAD_TOO_MANY_TAGS), and no name stored is 40 characters or
 * longer, `names` is rewritten in the compact layout (every empty slot 40
 * blanks) and tag_name_stride set to 40; the loader never sets it to 256.
 * An error on a line keeps the tags before it and the 256-byte layout.
 * `status_block` is cleared first and holds at most one error afterwards.
 * A `count` below 0 records TAVLO_LOAD_NEGATIVE_COUNT, and a working name
 * copy that cannot be allocated TAVLO_LOAD_NO_MEMORY: then nothing is
 * printed or read and no output is touched. */
TAVLO_TS_API void load_tag_list(char *names, TypeDescriptor *descriptors, void *values,
                                OutputType *output_types, Deadband *deadbands, int32_t count,
                                StatusBlock *status_block);

/* Asks for the name of a tag-list file as load_tag_list does and reads at
 * most `count` lines of it, each "name value-count data-type [ascii-size]",
 * into `names` (as load_tag_list), `descriptors` (`count` + 1 entries,
 * required; device data type 0 in every entry) and `value_counts` (`count`
 * entries, required). An ASCII size may be any number above 0 and is 1200
 * when left out; numbers are read as atoi reads them, those beyond 32 bits
 * taken as the nearest 32-bit number. Only a load without error, the file
 * giving all `count` lines, whose names are all shorter than 40 characters
 * gets the compact layout and tag_name_stride 40. Errors, `count` below 0
 * and a working name copy that cannot be allocated are recorded as by
 * load_tag_list. */
TAVLO_TS_API void load_historical_tag_list(char *names, TypeDescriptor *descriptors,
                                           int32_t *value_counts, int32_t count,
                                           StatusBlock *status_block);

/* load_tag_list for a program: reads the tag-list file at `path` (used
 * whole) instead of asking for a name, and prints nothing. The outputs,
 * the line formats, the sizes and the error codes are load_tag_list's; it
 * differs in this:
 *   - `count` is the room the outputs have; the file may hold fewer lines.
 *     Returns the number of lines loaded: each filled its slot (a blank line
 *     in the names and deadbands formats leaves its slot as it was). Slots
 *     after them are not touched; the descriptors' header entry gets that
 *     number as its size. TAVLO_LOAD_TOO_MANY_TAGS is never recorded.
 *   - The compact layout covers the lines loaded: when no name loaded is 40
 *     characters or longer, the first (returned number) x 256 bytes of
 *     `names` are rewritten and tag_name_stride set to 40; later bytes stay.
 *     Otherwise tag_name_stride is not touched: set it to 256 before the
 *     load if an earlier load may have left it at 40.
 *   - An error keeps the tags of the lines before the failing line, returns
 *     their number and stores nothing of the failing line. *error_line
 *     (when `error_line` is not NULL) receives the line of the error,
 *     counted from 1 as an editor counts: the rest of a line longer than 255
 *     characters takes a slot of its own but is on the same line. It is 0
 *     without an error and for the errors of no line: a file that cannot be
 *     opened (a NULL path, a folder) or read (a read error after some lines
 *     keeps them), `count` below 0, no memory for the working name copy. */
TAVLO_TS_API int32_t load_tag_list_file(const char *path, char *names, TypeDescriptor *descriptors,
                                        void *values, OutputType *output_types, Deadband *deadbands,
                                        int32_t count, StatusBlock *status_block,
                                        int32_t *error_line);

/* load_historical_tag_list for a program, as load_tag_list_file is for
 * load_tag_list: the file at `path`, nothing printed, up to `count` lines,
 * the number loaded returned, the line of an error in *error_line, slots
 * after the lines loaded not touched. A load without error rewrites the
 * loaded names in the compact layout when all are shorter than 40
 * characters, however few lines the file had. After a TAVLO_LOAD_BAD_SIZE
 * error the failing line's descriptor holds its data type, device data type
 * 0 and element count 1 already (not its size), as load_historical_tag_list
 * leaves it. */
TAVLO_TS_API int32_t load_historical_tag_list_file(const char *path, char *names,
                                                   TypeDescriptor *descriptors,
                                                   int32_t *value_counts, int32_t count,
                                                   StatusBlock *status_block, int32_t *error_line);

/* Words for a code of facility 10 ("the file cannot be opened or read"
 * for TAVLO_LOAD_OPEN_FAILED), for a program's own error message; "not an error
 * of a tag-list load" for any other code. Never NULL. */
TAVLO_TS_API const char *tag_list_error_text(int32_t code);

/* ---- Historical value report ------------------------------------------- */

/* Prints the result of a historical read: "\n", then per tag its name, its
 * type line, its number of values, the start and end of its period and its
 * values, each with its timestamp and the status lines. Tag k shows the
 * smaller of value_counts[k] and value_limits[k] values; its statuses and
 * timestamps are the next value_counts[k] entries of `statuses` and
 * `timestamps`, and each value position it prints takes the next `size`
 * bytes of `values`. A value whose status is -6 is not shown; its status
 * code is. `descriptors` may be NULL: no type lines then, and the first
 * value whose status is not -6 ends the report with "\nUnknown data type",
 * as does any data type outside 1 to 7.
 * Every other array is required. The value buffer is never written: an
 * ASCII value prints at most `size` characters, stopping at a NUL, in a
 * field `size` characters wide; odd sizes print as in print_tag_values.
 * Names are read at most tag_name_stride bytes when the stride is positive.
 * The next name starts after this one's NUL, or tag_name_stride bytes on
 * when that is nearer; with a stride of 0 or below, after the NUL. */
TAVLO_TS_API void print_historical_values(const char *names, const TypeDescriptor *descriptors,
                                          const void *values, const TagStatus *statuses,
                                          const TimeRecord *timestamps,
                                          const uint32_t *value_counts,
                                          const TimeRecord *start_times,
                                          const TimeRecord *end_times, int32_t count,
                                          const uint32_t *value_limits);

#ifdef __cplusplus
}
#endif

#endif /* TAVLO_TESTSUPPORT_H */
