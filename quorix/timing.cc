// Wall-clock and CPU time of a stretch of work.
#include "quorix.h"

extern "C" int qx_tic(struct timeval *start_time, struct rusage *start_usage)
{
    gettimeofday(start_time, nullptr);
    getrusage(RUSAGE_SELF, start_usage);
    return 0;
}

extern "C" int qx_toc(FILE *stream, const char *message,
                      const struct timeval *start_time,
                      const struct rusage *start_usage)
{
    struct timeval now;
    struct rusage usage;
    gettimeofday(&now, nullptr);
    getrusage(RUSAGE_SELF, &usage);
    double wall = qx_difftimeofday(&now, start_time) / 1e6;
    double user = qx_difftimeofday(&usage.ru_utime, &start_usage->ru_utime) / 1e6;
    double sys = qx_difftimeofday(&usage.ru_stime, &start_usage->ru_stime) / 1e6;
    int written = fprintf(stream,
        "%s%sElapsed time: %.6f s wall, %.6f s user, %.6f s system\n",
        message != nullptr ? message : "", message != nullptr ? ": " : "",
        wall, user, sys);
    return written < 0 ? EOF : 0;
}

extern "C" int64_t qx_difftimeofday(const struct timeval *later,
                                    const struct timeval *earlier)
{
    return (static_cast<int64_t>(later->tv_sec) - earlier->tv_sec) * 1000000
           + (static_cast<int64_t>(later->tv_usec) - earlier->tv_usec);
}
