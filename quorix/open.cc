// Opening files that may be compressed.  The first bytes of the file say
// what it is; compressed text is decoded in-process behind a FILE made
// with fopencookie, so the caller reads, and closes, an ordinary stream.
//
// The magic bytes are read with read(2) on the file's own descriptor, so
// a pipe or FIFO can be sniffed too: a seekable plain file goes back to
// where it started and is handed over as a plain FILE, while a pipe
// replays the bytes it lent to the sniffing.
//
// A decoding stream that meets a corrupt or truncated file reports the
// text decoded before the fault, then fails with EIO (ENOMEM when the
// decoder ran out of memory) on that read and on every later one.
#include "quorix.h"

#include "buffer.h"
#include "codecs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <stdio_ext.h>
#include <unistd.h>

namespace {

using quorix::Codec;
using quorix::Format;
using quorix::Step;

// Large reads of the compressed file, and large chunks of text asked of
// the decoder, keep the per-call overhead out of the way.
constexpr std::size_t compressed_chunk = 256 * 1024;
constexpr std::size_t text_buffer = 128 * 1024;

ssize_t read_retrying(int fd, void *buf, std::size_t len)
{
    ssize_t n;
    do
        n = read(fd, buf, len);
    while (n < 0 && errno == EINTR);
    return n;
}

// A compressed file being decoded: the window of compressed bytes read
// but not yet decoded, and the decoder.
struct Decoding {
    int fd = -1;
    unsigned char *in = nullptr;
    std::size_t in_pos = 0, in_len = 0;
    bool in_ended = false;
    int error = 0;
    std::unique_ptr<Codec> codec;
    char *text = nullptr;  // the stream's buffer

    ~Decoding()
    {
        free(in);
        free(text);
    }

    // Moves the undecoded bytes to the front and reads more behind them.
    // Returns 0 or an errno value.
    int refill()
    {
        std::memmove(in, in + in_pos, in_len - in_pos);
        in_len -= in_pos;
        in_pos = 0;
        if (in_len == compressed_chunk)
            return EIO;  // a gzip header longer than the window, say
        ssize_t n = read_retrying(fd, in + in_len, compressed_chunk - in_len);
        if (n < 0)
            return errno;
        if (n == 0)
            in_ended = true;
        in_len += static_cast<std::size_t>(n);
        return 0;
    }
};

ssize_t decoding_read(void *cookie, char *buf, std::size_t size)
{
    auto *d = static_cast<Decoding *>(cookie);
    auto *out = reinterpret_cast<unsigned char *>(buf);
    std::size_t room = size;
    while (room > 0 && d->error == 0) {
        const unsigned char *in = d->in + d->in_pos;
        std::size_t in_left = d->in_len - d->in_pos;
        const std::size_t in_before = in_left, room_before = room;
        Step step = d->codec->decode(in, in_left, out, room, d->in_ended);
        d->in_pos = static_cast<std::size_t>(in - d->in);
        if (step == Step::corrupt || step == Step::no_memory) {
            d->error = step == Step::no_memory ? ENOMEM : EIO;
            break;
        }
        if (in_left != in_before || room != room_before)
            continue;
        // Nothing moved: the decoder wants input.
        if (d->in_ended) {
            // The file may end only between members.
            if (step != Step::boundary || in_left != 0)
                d->error = EIO;
            break;
        }
        if (room != size)
            break;  // hand over the text we have before waiting for more
        d->error = d->refill();
    }
    if (room != size)
        return static_cast<ssize_t>(size - room);
    if (d->error != 0) {
        errno = d->error;
        return -1;
    }
    return 0;
}

int decoding_close(void *cookie)
{
    auto *d = static_cast<Decoding *>(cookie);
    int status = close(d->fd);
    delete d;
    return status;
}

// A plain pipe: the bytes read while sniffing come first, then the rest
// of the pipe as it arrives.
struct Replay {
    int fd;
    unsigned char head[quorix::magic_max];
    std::size_t head_pos, head_len;
    char text[text_buffer];  // the stream's buffer
};

ssize_t replay_read(void *cookie, char *buf, std::size_t size)
{
    auto *r = static_cast<Replay *>(cookie);
    if (r->head_pos < r->head_len) {
        std::size_t n = r->head_len - r->head_pos;
        if (n > size)
            n = size;
        std::memcpy(buf, r->head + r->head_pos, n);
        r->head_pos += n;
        return static_cast<ssize_t>(n);
    }
    return read_retrying(r->fd, buf, size);
}

int replay_close(void *cookie)
{
    auto *r = static_cast<Replay *>(cookie);
    int status = close(r->fd);
    delete r;
    return status;
}

// A read-only stream over cookie, with text (text_buffer bytes, freed by
// closer) as its buffer, large enough that the decoder works in big
// chunks.  On failure the cookie is left alone.
FILE *cookie_stream(void *cookie, cookie_read_function_t *reader,
                    cookie_close_function_t *closer, char *text)
{
    cookie_io_functions_t io{};
    io.read = reader;
    io.close = closer;
    FILE *stream = fopencookie(cookie, "r", io);
    if (stream != nullptr) {
        // glibc takes the size only together with a buffer.
        setvbuf(stream, text, _IOFBF, text_buffer);
        // glibc would lock a cookie stream on every getc, which costs
        // more than the decoding: a stream from qx_fopen serves one
        // thread, as the suite's programs are single-threaded.
        __fsetlocking(stream, FSETLOCKING_BYCALLER);
    }
    return stream;
}

FILE *open_decoding(int fd, Format format, const unsigned char *head,
                    std::size_t head_len)
{
    auto *d = new (std::nothrow) Decoding;
    if (d == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    d->fd = fd;
    d->in = static_cast<unsigned char *>(malloc(compressed_chunk));
    d->text = static_cast<char *>(malloc(text_buffer));
    if (d->in != nullptr && d->text != nullptr)
        d->codec = quorix::make_codec(format);
    FILE *stream = nullptr;
    if (d->codec != nullptr) {
        std::memcpy(d->in, head, head_len);
        d->in_len = head_len;
        stream = cookie_stream(d, decoding_read, decoding_close, d->text);
    }
    if (stream == nullptr) {
        delete d;
        errno = ENOMEM;
    }
    return stream;
}

FILE *open_replay(int fd, const unsigned char *head, std::size_t head_len)
{
    auto *r = new (std::nothrow) Replay{fd, {}, 0, head_len, {}};
    FILE *stream = nullptr;
    if (r != nullptr) {
        std::memcpy(r->head, head, head_len);
        stream = cookie_stream(r, replay_read, replay_close, r->text);
        if (stream == nullptr)
            delete r;
    }
    if (stream == nullptr)
        errno = ENOMEM;
    return stream;
}

// A plain file as an ordinary FILE (fileno and seeks work), reading in
// large blocks: genomes are read whole, over and over.
FILE *fdopen_large(int fd, const char *mode)
{
    FILE *stream = fdopen(fd, mode);
    if (stream != nullptr)
        quorix::give_stream_buffer(stream, 1 << 18);
    return stream;
}

}  // namespace

extern "C" FILE *qx_fopen(const char *path, const char *mode)
{
    if (mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    if (mode[0] != 'r' || std::strchr(mode, '+') != nullptr)
        return fopen(path, mode);

    int fd;
    do
        fd = open(path, O_RDONLY | (std::strchr(mode, 'e') ? O_CLOEXEC : 0));
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return nullptr;
    const off_t start = lseek(fd, 0, SEEK_CUR);

    // Read only as far as the magic numbers need, so that a plain
    // interactive stream is not held up.
    unsigned char head[quorix::magic_max];
    std::size_t head_len = 0;
    Format format;
    for (;;) {
        bool decided;
        format = quorix::sniff_format(head, head_len, &decided);
        if (decided || head_len == sizeof head)
            break;
        ssize_t n = read_retrying(fd, head + head_len, sizeof head - head_len);
        if (n == 0)
            break;
        if (n < 0) {  // a directory, for one
            int err = errno;
            close(fd);
            errno = err;
            return nullptr;
        }
        head_len += static_cast<std::size_t>(n);
    }

    FILE *stream;
    if (format != Format::plain)
        stream = open_decoding(fd, format, head, head_len);
    else if (start >= 0 && lseek(fd, start, SEEK_SET) == start)
        stream = fdopen_large(fd, mode);
    else
        stream = open_replay(fd, head, head_len);
    if (stream == nullptr) {
        int err = errno;
        close(fd);
        errno = err;
    }
    return stream;
}

extern "C" int qx_fclose(FILE *stream)
{
    if (stream == nullptr) {
        errno = EINVAL;
        return EOF;
    }
    return fclose(stream);
}
