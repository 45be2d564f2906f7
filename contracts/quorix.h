/*
 * quorix: opening plain and compressed files, timing, string lists,
 * allocation, and the check that standard output reached its destination.
 */
#ifndef QUORIX_H
#define QUORIX_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/time.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- files ------------------------------------------------------------- */

/*
 * Opens path.  For reading ("r"), a file compressed with gzip (multi-member
 * and bgzip included), bzip2, xz or zstd is recognised by its first bytes,
 * whatever its name, and read as its decompressed text through an ordinary
 * FILE stream; any other file is read as it is.  Other modes open the file
 * as fopen does.  Returns NULL with errno set (from the open, or ENOMEM).
 * A corrupt or truncated compressed file makes a later read fail: the
 * stream's error indicator is set, with errno EIO.  Close with qx_fclose
 * or fclose: both release everything.  A decompressing stream does no
 * locking of its own: use it from one thread at a time.
 */
FILE *qx_fopen(const char *path, const char *mode);

/* Closes a stream from qx_fopen.  Returns what fclose returns. */
int qx_fclose(FILE *stream);

/* ---- memory ------------------------------------------------------------ */

/*
 * Allocates count * size bytes (uninitialised).  Never returns NULL: when
 * memory runs out, or the product overflows, it writes a short message to
 * standard error and exits with status 71.  Release with free.
 */
void *qx_malloc(size_t count, size_t size);

/* ---- timing ------------------------------------------------------------ */

/* Fills start_time with the time of day and start_usage with this
 * process's resource usage.  Returns 0. */
int qx_tic(struct timeval *start_time, struct rusage *start_usage);

/*
 * Writes to stream one line reporting the wall, user and system time since
 * qx_tic filled start_time and start_usage, preceded by message and ": "
 * when message is not NULL.  Returns 0, or EOF when the write fails.
 */
int qx_toc(FILE *stream, const char *message,
           const struct timeval *start_time, const struct rusage *start_usage);

/* later - earlier, in microseconds. */
int64_t qx_difftimeofday(const struct timeval *later,
                         const struct timeval *earlier);

/* ---- strings ----------------------------------------------------------- */

/*
 * In place, every character of string found in from becomes the character
 * at the same place in to; characters of from past the end of to are left
 * as they are.  flags must be 0 (no other flag is defined).  Returns
 * string.
 */
char *qx_strtr(char *string, const char *from, const char *to, int flags);

/*
 * Reads stream to its end; each line, without its "\n" or "\r\n", becomes
 * one string, and a last line without a newline counts.  Sets *list to a
 * NULL-terminated array of the strings, owned by the caller and released
 * with qx_free_strings, and returns their number.  When the stream cannot
 * be read or memory runs out: returns -1 with errno set, *list is NULL and
 * nothing is left allocated.
 */
int64_t qx_inhale_strings(FILE *stream, char ***list);

/* Releases an array from qx_inhale_strings and its strings; NULL is fine. */
void qx_free_strings(char **list);

/*
 * Compares the strings that two string pointers point to, ignoring case as
 * strcasecmp does; for qsort and bsearch over arrays of char *.
 */
int qx_strptrcasecmp(const void *a, const void *b);

/* ---- standard streams -------------------------------------------------- */

/*
 * Gives standard input, and standard output when it is not a terminal,
 * buffers of size bytes each, so that a filter moves its data in large
 * blocks rather than the C library's default of one disk block.  Call it
 * before the first read or write of either stream.  The buffers belong to
 * the streams until the process ends.  Returns 0, or -1 with errno set
 * (ENOMEM), the streams then keeping their defaults.
 */
int qx_stdio_buffers(size_t size);

/* ---- output ------------------------------------------------------------ */

/*
 * Every program ends through this.  Flushes standard output; when that
 * fails or the stream's error indicator is set, writes
 * "<progname>: Error writing output: <strerror>" to standard error and
 * returns 74; otherwise returns status.
 */
int qx_stdout_status(const char *progname, int status);

#ifdef __cplusplus
}
#endif

#endif /* QUORIX_H */
