// The last word of every program: did standard output reach its place?
#include "quorix.h"

#include <cerrno>
#include <cstring>

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
