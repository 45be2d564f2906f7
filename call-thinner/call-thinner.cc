// call-thinner: the VCF header, then a random share of the calls, about a
// desired count of them.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <sys/stat.h>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s desired-count [< in.vcf] [> out.vcf]\n", argv0);
    exit(64);
}

// random() draws from [0, 2147483647]: a call is kept when its draw is below
// the threshold, so the threshold is desired_count / line_count of that range.
static int64_t keep_threshold_for(int64_t desired_count, int64_t line_count)
{
    int64_t scaled;

    // No counted line (the input ended in or just after its last line):
    // the desired count is then at least the number of lines.
    if (line_count == 0)
        return desired_count > 0 ? INT64_MAX : 0;
    // Too large a count to scale keeps every call; too negative keeps none.
    if (__builtin_mul_overflow(desired_count, INT64_C(2147483647), &scaled))
        return desired_count > 0 ? INT64_MAX : INT64_MIN;
    return scaled / line_count;
}

int main(int argc, char *argv[])
{
    nb_vcf_t call;
    FILE *header_stream, *calls_in;
    struct stat stdin_stat;
    int64_t desired_count, line_count, keep_threshold;
    off_t calls_start;
    char *end;
    char block[1 << 16];
    size_t got;
    int c, status;

    if (argc != 2)
        usage(argv[0]);
    desired_count = static_cast<int64_t>(strtoul(argv[1], &end, 10));
    if (*end != '\0') {
        fprintf(stderr, "Invalid site count: %s\n", argv[1]);
        usage(argv[0]);
    }

    qx_stdio_buffers(1 << 18);
    nb_vcf_init(&call);
    header_stream = nb_vcf_skip_header(stdin);
    if (header_stream == NULL) {
        fprintf(stderr, "call-thinner: Error reading VCF header.\n");
        return qx_stdout_status(argv[0], 66);
    }

    // The streams are copied in blocks: byte for byte what a getc and putc
    // loop gives, without a call per byte.
    while ((got = fread(block, 1, sizeof block, header_stream)) > 0)
        fwrite(block, 1, got, stdout);
    // The column-heading line always leaves with its newline, even when the
    // input ends inside it.
    while ((c = getc(stdin)) != EOF && c != '\n')
        putc(c, stdout);
    putc('\n', stdout);

    // Standard input may be a pipe: the calls are spooled after the header
    // text so that they can be counted first and read again to sample them.
    // A regular file can simply be read twice.
    calls_in = header_stream;
    if (fstat(fileno(stdin), &stdin_stat) == 0 && S_ISREG(stdin_stat.st_mode) &&
        (calls_start = ftello(stdin)) != -1)
        calls_in = stdin;
    else
        calls_start = ftello(header_stream);
    line_count = 0;
    while ((got = fread(block, 1, sizeof block, stdin)) > 0) {
        if (calls_in == header_stream)
            fwrite(block, 1, got, header_stream);
        for (const char *nl = block; (nl = static_cast<const char *>(
                                          memchr(nl, '\n', got - (nl - block)))) != NULL;
             ++nl)
            ++line_count;
    }
    // Calls lost to a failed read or a full spool would shrink the sample
    // without a word.
    if (ferror(stdin)) {
        fprintf(stderr, "%s: Error reading VCF stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    if (fflush(header_stream) != 0 || ferror(header_stream)) {
        fprintf(stderr, "%s: Error spooling VCF calls: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 74);
    }

    keep_threshold = keep_threshold_for(desired_count, line_count);
    srandom(static_cast<unsigned>(time(NULL)));
    if (fseeko(calls_in, calls_start, SEEK_SET) != 0) {
        fprintf(stderr, "%s: Error reading VCF stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }

    while ((status = nb_vcf_read_ss_call(&call, calls_in, 4095)) == NB_RECORD) {
        if (random() < keep_threshold)
            nb_vcf_write_ss_call(&call, stdout, 4095);
    }
    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading VCF stream: %s\n", argv[0], strerror(errno));
        fclose(header_stream);
        return qx_stdout_status(argv[0], 65);
    }

    fclose(header_stream);
    return qx_stdout_status(argv[0], 0);
}
