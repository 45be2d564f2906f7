// Shared pieces of the fuzz targets: the input as a stdio stream, and a
// check that stops the run with a message when a property does not hold.
#ifndef FUZZ_INPUT_H
#define FUZZ_INPUT_H

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"

#define FUZZ_CHECK(cond)                                                                \
    do {                                                                                \
        if (!(cond)) {                                                                  \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);    \
            abort();                                                                    \
        }                                                                               \
    } while (0)

namespace fuzz {

// The readers work on the stdio buffer itself, so the buffer size is varied
// with the input length: records then straddle refills at every offset,
// and tiny buffers push peeked bytes into glibc's push-back area.
inline size_t buffer_size_for(size_t len)
{
    static const size_t sizes[] = {1, 2, 3, 7, 64, 4096};
    return sizes[len % (sizeof sizes / sizeof sizes[0])];
}

// A read-only stream over the bytes (NULs included).  The copy keeps
// fmemopen off libFuzzer's const buffer; an empty input reads as empty.
class Input {
public:
    Input(const uint8_t *data, size_t len)
        : copy_(static_cast<char *>(malloc(len + 1))), len_(len),
          buffer_(static_cast<char *>(malloc(buffer_size_for(len))))
    {
        if (len)
            memcpy(copy_, data, len);
        copy_[len] = '\0';
        stream_ = len ? fmemopen(copy_, len, "r") : fopen("/dev/null", "r");
        FUZZ_CHECK(stream_ != nullptr);
        setvbuf(stream_, buffer_, _IOFBF, buffer_size_for(len));
    }
    ~Input()
    {
        fclose(stream_);
        free(buffer_);
        free(copy_);
    }
    Input(const Input &) = delete;
    Input &operator=(const Input &) = delete;

    FILE *stream() const { return stream_; }
    const char *bytes() const { return copy_; }
    size_t size() const { return len_; }

private:
    char *copy_;
    size_t len_;
    char *buffer_;
    FILE *stream_;
};

// Every read consumes at least one byte unless it reports the end, so a
// reader that reaches the end takes at most this many calls.
inline size_t max_reads(size_t len)
{
    return len + 2;
}

inline bool is_read_status(int status)
{
    return status == NB_RECORD || status == NB_END || status == NB_ERR_FORMAT ||
           status == NB_ERR_IO || status == NB_ERR_MEMORY;
}

} // namespace fuzz

#endif
