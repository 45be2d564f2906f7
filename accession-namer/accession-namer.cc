// accession-namer: the gene name of every listed Ensembl stable ID that a
// GFF3 annotation holds.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "norbel.h"
#include "quorix.h"

static void usage(const char *argv0)
{
    fprintf(stderr, "Usage: %s file.gff ensembl-id-list.txt\n", argv0);
    exit(64);
}

int main(int argc, char *argv[])
{
    const char *gff3_path, *list_path;
    FILE *list_stream, *gff3_stream;
    char **stable_ids, **entry;
    char *stable_id, *dash;
    int64_t id_count;
    nb_gff3_t feature;
    int status, saved_errno;

    if (argc != 3)
        usage(argv[0]);
    gff3_path = argv[1];
    list_path = argv[2];

    list_stream = fopen(list_path, "r");
    if (list_stream == NULL) {
        fprintf(stderr, "accession-namer: Could not open %s for read.\n", list_path);
        return qx_stdout_status(argv[0], 66);
    }
    id_count = qx_inhale_strings(list_stream, &stable_ids);
    saved_errno = errno;
    fclose(list_stream);
    if (id_count < 0) {
        fprintf(stderr, "accession-namer: Could not read %s: %s\n", list_path,
                strerror(saved_errno));
        return qx_stdout_status(argv[0], 65);
    }
    // Sorted once, so that every feature costs one bisection.
    qsort(stable_ids, static_cast<size_t>(id_count), sizeof *stable_ids, qx_strptrcasecmp);

    gff3_stream = fopen(gff3_path, "r");
    if (gff3_stream == NULL) {
        fprintf(stderr, "accession-namer: Could not open %s for read.\n", gff3_path);
        return qx_stdout_status(argv[0], 66);
    }
    nb_gff3_skip_header(gff3_stream);
    nb_gff3_init(&feature);

    while ((status = nb_gff3_read(&feature, gff3_stream, 4095)) == NB_RECORD) {
        if (feature.feature_id == NULL)
            continue;
        // Ensembl IDs carry a kind prefix ("gene:", "transcript:"); the
        // list holds them bare.
        stable_id = strchr(feature.feature_id, ':');
        stable_id = stable_id != NULL ? stable_id + 1 : feature.feature_id;
        entry = static_cast<char **>(bsearch(&stable_id, stable_ids,
                                             static_cast<size_t>(id_count), sizeof *stable_ids,
                                             qx_strptrcasecmp));
        if (entry == NULL)
            continue;
        if (feature.feature_name == NULL) {
            printf("%s\t\n", *entry);
            continue;
        }
        // The gene name is the transcript name before its "-NNN" number;
        // cut in place for the write.
        dash = strchr(feature.feature_name, '-');
        if (dash != NULL)
            *dash = '\0';
        printf("%s\t%s\n", *entry, feature.feature_name);
        if (dash != NULL)
            *dash = '-';
    }
    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading GFF3 stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }

    fclose(gff3_stream);
    qx_free_strings(stable_ids);
    return qx_stdout_status(argv[0], 0);
}
