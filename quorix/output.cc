// The standard streams of a filter: large buffers at the start, and at the
// end, the check that standard output reached its place.
#include "quorix.h"

#include "buffer.h"

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
    if (quorix::give_stream_buffer(stdin, size) != 0)
        return -1;
    // A terminal stays line-buffered, so that a person sees lines as they come.
    if (isatty(fileno(stdout)))
        return 0;
    return quorix::give_stream_buffer(stdout, size);
}
