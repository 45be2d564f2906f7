// site-filter: the VCF calls at one chromosome and position.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s chromosome position < VCF-file\n", argv0);
    exit(64);
}

int main(int argc, char *argv[])
{
    nb_vcf_t call;
    const char *chrom;
    uint64_t position;
    char *end;
    int status;

    if (argc != 3)
        usage(argv[0]);
    chrom = argv[1];
    position = strtoul(argv[2], &end, 10);
    if (*end != '\0') {
        fprintf(stderr, "Invalid position: %s\n", argv[2]);
        usage(argv[0]);
    }

    qx_stdio_buffers(1 << 18);
    if (nb_vcf_skip_header(stdin) == NULL)
        return qx_stdout_status(argv[0], 65);

    nb_vcf_init(&call);
    while ((status = nb_vcf_read_ss_call(&call, stdin, 4095)) == NB_RECORD) {
        // Most calls lie elsewhere: one integer test rejects them before
        // any name is compared.
        if (static_cast<uint64_t>(call.pos) != position)
            continue;
        if (strcmp(chrom, call.chrom) != 0)
            continue;
        nb_vcf_write_ss_call(&call, stdout, 4095);
    }
    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading VCF stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    return qx_stdout_status(argv[0], 0);
}
