// The reading core shared by every norbel reader: growable text buffers and
// "read until a delimiter" over the caller's own stdio stream.
//
// Everything here works on a stream that the caller has locked with
// flockfile (see StreamLock); the public readers lock once per record.
// Bytes are taken only through the stream's own buffer, so after a read the
// stream stands just after the last byte consumed and the caller may go on
// with getc, ftello or fseek.
#ifndef NORBEL_LINEIO_H
#define NORBEL_LINEIO_H

#include <cstddef>
#include <cstdio>
// On glibc the readers work on the stream's read buffer directly; building
// with NB_PORTABLE_STDIO defined takes the plain getc_unlocked path instead.
#if defined(__GLIBC__) && !defined(NB_PORTABLE_STDIO)
#define NB_STDIO_BUFFER 1
#else
#define NB_STDIO_BUFFER 0
#endif

#if defined(__GLIBC__) && __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#define NB_HAVE_SINGLE_THREADED 1
#endif

#include "norbel.h"

namespace nb {

// Results of the core reads.  The negative ones equal the public statuses.
enum {
    IO_DELIM = 1,            // the delimiter was met and consumed
    IO_EOF = 0,              // the input ended (what came before is kept)
    IO_ERROR = NB_ERR_IO,    // the stream failed; errno set
    IO_NOMEM = NB_ERR_MEMORY // a buffer could not grow; errno ENOMEM
};

// A writable empty string for fields that have no storage of their own.
extern char empty_string[1];

// A text with capacity 0 owns no storage: its text is NULL or empty_string.

// Makes room for need bytes of text plus the NUL; capacity doubles.
// Returns 0, or -1 with errno ENOMEM (the buffer is left as it was).
int text_reserve(nb_text_t *text, size_t need);

// Empties the text, allocating a small buffer when it has none.  text->text
// is a valid string afterwards, empty_string when the allocation failed
// (then -1 with errno ENOMEM; else 0).
int text_clear(nb_text_t *text);

// Replaces the text with the n bytes at bytes.  Returns 0 or -1 (ENOMEM).
int text_assign(nb_text_t *text, const char *bytes, size_t n);

void text_free(nb_text_t *text);

// Appends the bytes up to the delimiter to text (the delimiter is consumed
// but not stored).  Returns IO_DELIM, IO_EOF, IO_ERROR or IO_NOMEM; on
// IO_NOMEM the rest of the line is consumed.
int append_until(FILE *stream, nb_text_t *text, int delim);

// Consumes bytes up to and including the delimiter.  Returns IO_DELIM,
// IO_EOF or IO_ERROR.
int skip_until(FILE *stream, int delim);

// The next byte, left unread; EOF at the end of the input or on error.
int peek(FILE *stream);

// Looks at up to n bytes ahead without consuming them, stopping after a
// newline.  Returns how many bytes were stored in out.  Only ever needs a
// few bytes; see lineio.cc for how they are kept unread.
size_t peek_prefix(FILE *stream, char *out, size_t n);

// The status of a read that met the end of the input: NB_ERR_IO with errno
// from the stream (EIO when it gave none) if its error indicator is set,
// otherwise NB_END.
int end_status(FILE *stream);

// Drops a "\r" that ended the line just appended to text from offset from.
inline void drop_cr(nb_text_t *text, size_t from)
{
    if (text->len > from && text->text[text->len - 1] == '\r')
        text->text[--text->len] = '\0';
}

// True when the bytes of text from offset from hold a NUL.
bool has_nul(const nb_text_t *text, size_t from);

// Line readers used by the record formats.  A "\r" before the "\n" is
// dropped.

// Appends the next line to text.  Returns 1 for a line (a last line
// without "\n" counts), 0 when no line is left (the input has ended), or
// NB_ERR_FORMAT (errno EINVAL) when the line holds a NUL byte (the text then
// ends before it), NB_ERR_IO or NB_ERR_MEMORY; in every case but NB_ERR_IO
// the whole line is consumed.
int read_line(FILE *stream, nb_text_t *text);

// Consumes lines up to the next one that begins with marker1 or marker2,
// which stays unread, or up to the end.  Returns 0 or NB_ERR_IO.
int skip_to_marker(FILE *stream, int marker1, int marker2);

// Appends lines to text, joined, up to a line that begins with marker1 or
// marker2 (left unread) or the end.  Returns NB_RECORD, NB_ERR_FORMAT (a
// NUL byte), NB_ERR_IO or NB_ERR_MEMORY.
int read_lines_until_marker(FILE *stream, nb_text_t *text, int marker1, int marker2);

#if NB_STDIO_BUFFER
// Makes sure at least one unread byte waits in the stream's read buffer
// [_IO_read_ptr, _IO_read_end).  Returns 1, IO_EOF or IO_ERROR (errno from
// the stream, EIO when it gave none).
int refill(FILE *stream);
#endif

// When a record has no room even to start: consumes one line, so that a
// caller reading until the end still gets there.  Returns NB_ERR_MEMORY
// (errno ENOMEM), or NB_END / NB_ERR_IO when no line was left.
int skip_line_without_memory(FILE *stream);

// Holds the stream's lock for the life of one public call.  A process that
// has never started a thread needs no lock (the filters are all such).
class StreamLock {
public:
    explicit StreamLock(FILE *stream) : stream_(single_threaded() ? nullptr : stream)
    {
        if (stream_)
            flockfile(stream_);
    }
    ~StreamLock()
    {
        if (stream_)
            funlockfile(stream_);
    }
    StreamLock(const StreamLock &) = delete;
    StreamLock &operator=(const StreamLock &) = delete;

private:
    static bool single_threaded()
    {
#ifdef NB_HAVE_SINGLE_THREADED
        return __libc_single_threaded;
#else
        return false;
#endif
    }
    FILE *stream_;
};

} // namespace nb

#endif
