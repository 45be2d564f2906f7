// The reading core: growable text and "read until a delimiter" on the
// caller's stream.
//
// On glibc the bytes are taken straight from the stream's read buffer
// (the same fields getc_unlocked uses), one memchr and one memcpy per
// buffer-full; elsewhere a getc_unlocked loop does the same job.  Either
// way no byte is read ahead of what is consumed, except what stays unread
// in the stream's own buffer.
#include "lineio.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace nb {

char empty_string[1];

int text_reserve(nb_text_t *text, size_t need)
{
    if (need < text->cap)
        return 0;
    if (need == SIZE_MAX) {
        errno = ENOMEM;
        return -1;
    }
    size_t cap = text->cap ? text->cap : 64;
    while (cap <= need)
        cap = cap > SIZE_MAX / 2 ? need + 1 : cap * 2;
    // Without a capacity the text owns nothing (it may be empty_string).
    char *grown = static_cast<char *>(realloc(text->cap ? text->text : nullptr, cap));
    if (!grown) {
        errno = ENOMEM;
        return -1;
    }
    text->text = grown;
    text->cap = cap;
    return 0;
}

int text_clear(nb_text_t *text)
{
    if (text->cap == 0 && text_reserve(text, 255) != 0) {
        text->text = empty_string;
        text->len = 0;
        return -1;
    }
    text->len = 0;
    text->text[0] = '\0';
    return 0;
}

int text_assign(nb_text_t *text, const char *bytes, size_t n)
{
    if (text_reserve(text, n) != 0)
        return -1;
    memcpy(text->text, bytes, n);
    text->len = n;
    text->text[n] = '\0';
    return 0;
}

void text_free(nb_text_t *text)
{
    if (text->cap)
        free(text->text);
    text->text = nullptr;
    text->len = text->cap = 0;
}

bool has_nul(const nb_text_t *text, size_t from)
{
    return text->len > from && memchr(text->text + from, '\0', text->len - from) != nullptr;
}

namespace {

// A NUL in the text from offset from makes the line malformed; the text is
// kept a true string, ending where the NUL stood.  Returns 0, or
// NB_ERR_FORMAT with errno EINVAL.
int reject_nul(nb_text_t *text, size_t from)
{
    if (!has_nul(text, from))
        return 0;
    text->len = from + strlen(text->text + from);
    errno = EINVAL;
    return NB_ERR_FORMAT;
}

} // namespace

int end_status(FILE *stream)
{
    if (!ferror_unlocked(stream))
        return NB_END;
    if (errno == 0)
        errno = EIO;
    return NB_ERR_IO;
}

#if NB_STDIO_BUFFER

int refill(FILE *stream)
{
    if (stream->_IO_read_ptr < stream->_IO_read_end)
        return 1;
    int saved = errno;
    errno = 0;
    // __uflow hands out the first byte of the new buffer-full; stepping
    // back over it leaves the byte unread, as ungetc would.
    if (__uflow(stream) != EOF) {
        stream->_IO_read_ptr--;
        errno = saved;
        return 1;
    }
    if (ferror_unlocked(stream)) {
        if (errno == 0)
            errno = EIO;
        return IO_ERROR;
    }
    errno = saved;
    return IO_EOF;
}

// With text NULL the bytes up to the delimiter are only consumed.
int append_until(FILE *stream, nb_text_t *text, int delim)
{
    for (;;) {
        int got = refill(stream);
        if (got != 1)
            return got;
        char *p = stream->_IO_read_ptr;
        char *end = stream->_IO_read_end;
        char *hit = static_cast<char *>(memchr(p, delim, static_cast<size_t>(end - p)));
        size_t n = static_cast<size_t>((hit ? hit : end) - p);
        if (text != nullptr) {
            if (text_reserve(text, text->len + n) != 0) {
                stream->_IO_read_ptr = hit ? hit + 1 : end;
                if (!hit && skip_until(stream, delim) == IO_ERROR)
                    return IO_ERROR;
                errno = ENOMEM;
                return IO_NOMEM;
            }
            memcpy(text->text + text->len, p, n);
            text->len += n;
            text->text[text->len] = '\0';
        }
        if (hit) {
            stream->_IO_read_ptr = hit + 1;
            return IO_DELIM;
        }
        stream->_IO_read_ptr = end;
    }
}

int skip_until(FILE *stream, int delim)
{
    return append_until(stream, nullptr, delim);
}

int peek(FILE *stream)
{
    if (refill(stream) != 1)
        return EOF;
    return static_cast<unsigned char>(*stream->_IO_read_ptr);
}

#else // portable standard I/O

int append_until(FILE *stream, nb_text_t *text, int delim)
{
    int c;
    while ((c = getc_unlocked(stream)) != EOF && c != delim) {
        if (text_reserve(text, text->len + 1) != 0) {
            if (skip_until(stream, delim) == IO_ERROR)
                return IO_ERROR;
            errno = ENOMEM;
            return IO_NOMEM;
        }
        text->text[text->len++] = static_cast<char>(c);
    }
    if (text->cap)
        text->text[text->len] = '\0';
    if (c == delim)
        return IO_DELIM;
    return end_status(stream) == NB_ERR_IO ? IO_ERROR : IO_EOF;
}

int skip_until(FILE *stream, int delim)
{
    int c;
    while ((c = getc_unlocked(stream)) != EOF && c != delim) {
    }
    if (c == delim)
        return IO_DELIM;
    return end_status(stream) == NB_ERR_IO ? IO_ERROR : IO_EOF;
}

int peek(FILE *stream)
{
    int c = getc_unlocked(stream);
    if (c != EOF)
        ungetc(c, stream);
    return c;
}

#endif

size_t peek_prefix(FILE *stream, char *out, size_t n)
{
#if NB_STDIO_BUFFER
    // Usually the bytes wait in the buffer already and are only looked at.
    if (n == 0 || refill(stream) != 1)
        return 0;
    const char *p = stream->_IO_read_ptr;
    size_t avail = static_cast<size_t>(stream->_IO_read_end - p);
    size_t seen = avail < n ? avail : n;
    const char *nl = static_cast<const char *>(memchr(p, '\n', seen));
    if (nl || avail >= n) {
        seen = nl ? static_cast<size_t>(nl - p) + 1 : seen;
        memcpy(out, p, seen);
        return seen;
    }
#endif
    // The prefix runs over the end of the buffer: read it and push it back.
    // glibc and the BSDs keep any number of pushed-back bytes; this is only
    // ever a handful, at the start of a line.
    size_t k = 0;
    int c = 0;
    while (k < n && c != '\n' && (c = getc_unlocked(stream)) != EOF)
        out[k++] = static_cast<char>(c);
    for (size_t i = k; i > 0; i--)
        ungetc(static_cast<unsigned char>(out[i - 1]), stream);
    return k;
}

int read_line(FILE *stream, nb_text_t *text)
{
    size_t from = text->len;
    int got = append_until(stream, text, '\n');
    if (got == IO_ERROR || got == IO_NOMEM)
        return got;
    if (got == IO_EOF && text->len == from)
        return 0;
    if (got == IO_DELIM)
        drop_cr(text, from);
    if (reject_nul(text, from) != 0)
        return NB_ERR_FORMAT;
    return 1;
}

int skip_line_without_memory(FILE *stream)
{
    if (peek(stream) == EOF)
        return end_status(stream);
    if (skip_until(stream, '\n') == IO_ERROR)
        return NB_ERR_IO;
    errno = ENOMEM;
    return NB_ERR_MEMORY;
}

int skip_to_marker(FILE *stream, int marker1, int marker2)
{
    for (;;) {
        int c = peek(stream);
        if (c == EOF)
            return end_status(stream) == NB_ERR_IO ? NB_ERR_IO : 0;
        if (c == marker1 || c == marker2)
            return 0;
        if (skip_until(stream, '\n') == IO_ERROR)
            return NB_ERR_IO;
    }
}

int read_lines_until_marker(FILE *stream, nb_text_t *text, int marker1, int marker2)
{
#if NB_STDIO_BUFFER
    // Sequence lines are short and many: take every whole line that waits
    // in the stream's buffer without a call per line, and look for NUL
    // bytes once over the whole sequence at the end.
    size_t from = text->len;
    for (;;) {
        int got = refill(stream);
        if (got == IO_ERROR)
            return NB_ERR_IO;
        if (got == IO_EOF)
            break;
        char *p = stream->_IO_read_ptr;
        char *end = stream->_IO_read_end;
        if (*p == marker1 || *p == marker2)
            break;
        char *nl = static_cast<char *>(memchr(p, '\n', static_cast<size_t>(end - p)));
        if (nl == nullptr) {
            // The line runs over the end of the buffer.
            got = read_line(stream, text);
            if (got < 0)
                return got;
            continue;
        }
        size_t n = static_cast<size_t>(nl - p);
        if (n > 0 && p[n - 1] == '\r')
            n--;
        if (text_reserve(text, text->len + n) != 0) {
            stream->_IO_read_ptr = nl + 1;
            errno = ENOMEM;
            return NB_ERR_MEMORY;
        }
        memcpy(text->text + text->len, p, n);
        text->len += n;
        text->text[text->len] = '\0';
        stream->_IO_read_ptr = nl + 1;
    }
    if (reject_nul(text, from) != 0)
        return NB_ERR_FORMAT;
    return NB_RECORD;
#else
    for (;;) {
        int c = peek(stream);
        if (c == EOF)
            return end_status(stream) == NB_ERR_IO ? NB_ERR_IO : NB_RECORD;
        if (c == marker1 || c == marker2)
            return NB_RECORD;
        int got = read_line(stream, text);
        if (got < 0)
            return got;
    }
#endif
}

} // namespace nb
