// The standard streams of a filter: large buffers at the start, and at the
// end, the check that standard output reached its place.
#include "quorix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

extern "C" int qx_stdout_status(const char *progname, int status)
{
    errno = 0;
    if (fflush(stdout) == 0 && !ferror(stdout))
        return status;
    // A write that failed earlier may have left errno to later calls;
    // without one, say what it was in general.
    int err = errno ? errno : EIO;
    fprintf(stderr, "%s: Error writing output: %s\n", progname, strerror(err));
    return 74;
}

extern "C" int qx_stdio_buffers(size_t size)
{
    // Owned by the streams for the rest of the run: standard streams are
    // never closed before exit, so the blocks are never freed.
    char *in_buf = static_cast<char *>(malloc(size));
    if (in_buf == NULL)
        return -1;
    setvbuf(stdin, in_buf, _IOFBF, size);
    if (isatty(fileno(stdout)))
        return 0;
    char *out_buf = static_cast<char *>(malloc(size));
    if (out_buf == NULL)
        return -1;
    setvbuf(stdout, out_buf, _IOFBF, size);
    return 0;
}
