// Larger stdio buffers that the stream owns.
#ifndef QUORIX_BUFFER_H
#define QUORIX_BUFFER_H

#include <cstdio>
#include <cstdlib>

namespace quorix {

// Gives stream a buffer of size bytes that the stream owns: fclose (or the
// C library's clean-up at exit) frees it.  glibc reads and writes files one
// disk block (4 KiB) at a time and ignores the size asked of setvbuf
// without a buffer, so the buffer is ours; clearing glibc's mark of a
// caller's buffer makes it free the block as one of its own (both come from
// malloc).  Elsewhere the stream keeps its default.  Returns 0, or -1 with
// errno ENOMEM.
inline int give_stream_buffer(FILE *stream, std::size_t size)
{
#if defined(__GLIBC__)
    constexpr int kGlibcUserBuffer = 0x0001;  // _IO_USER_BUF
    char *buffer = static_cast<char *>(std::malloc(size));
    if (buffer == nullptr)
        return -1;
    if (setvbuf(stream, buffer, _IOFBF, size) != 0) {
        std::free(buffer);
        return 0;
    }
    stream->_flags &= ~kGlibcUserBuffer;
#else
    (void)stream;
    (void)size;
#endif
    return 0;
}

}  // namespace quorix

#endif
