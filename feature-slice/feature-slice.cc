// feature-slice: the genome sequence of the GFF3 features that match a type
// and a search key, and of the child features that follow them.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>

#include "norbel.h"
#include "quorix.h"

// What print_children returns when it cannot copy a feature ID: positive,
// so it is never taken for a read status.
static constexpr int kIdCopyFailed = 1;

static void usage(const char *argv0)
{
    fprintf(stderr, "\nUsage: %s file.gff3 file.fasta[.gz|.bz2|.xz] feature-type 'search-key'\n\n",
            argv0);
    fputs("Search-key is any exact substring of the attributes column in the GFF.\n", stderr);
    fputs("To match a gene name exactly, include ';' in the search key. e.g. 'Name=jun;'\n",
          stderr);
    fputs("View your GFF file with \"more file.gff3\" to get ideas for search-key.\n", stderr);
    fputs("\nExample:\n\nketh feature-slice Danio_rerio.GRCz11.104.gff3 "
          "Danio_rerio.GRCz11.dna.primary_assembly.fa gene 'Name=jun;'\n\n",
          stderr);
    fputs("Be sure to enclose search-key in hard quotes ('') if it contains any special\n",
          stderr);
    fputs("characters such as *, ?, ;, etc.\n\n", stderr);
    exit(64);
}

// Writes bases first through last (1-based, inclusive) of the chromosome as
// one line, straight from its buffer.  Coordinates that reach outside the
// chromosome are cut to it; an empty stretch gives an empty line.
static void print_slice(nb_fasta_t *chromosome, int64_t first, int64_t last)
{
    int64_t seq_len = static_cast<int64_t>(chromosome->seq_len);
    char saved;

    if (first < 1)
        first = 1;
    if (last > seq_len)
        last = seq_len;
    if (chromosome->seq == NULL || last < first) {
        putchar('\n');
        return;
    }
    // Terminate the stretch in place for one puts: no copy of what may be
    // most of a chromosome.
    saved = chromosome->seq[last];
    chromosome->seq[last] = '\0';
    puts(chromosome->seq + first - 1);
    chromosome->seq[last] = saved;
}

// Writes the features that follow the one in feature and name it as their
// parent, numbered from 1, walking child genes and mRNAs in turn.  Returns 0
// with the record that ended the walk left in feature, the read status that
// ended it, or kIdCopyFailed.
static int print_children(nb_fasta_t *chromosome, nb_gff3_t *feature, FILE *gff3_stream,
                          const char *description)
{
    char *parent_id;
    uint32_t child_number = 1;
    int status, saved_errno;

    // No record can name a missing ID as its parent: the next one ends the walk.
    if (feature->feature_id == NULL)
        return nb_gff3_read(feature, gff3_stream, 4095);

    // The next read overwrites the record, ID included.
    parent_id = strdup(feature->feature_id);
    if (parent_id == NULL)
        return kIdCopyFailed;

    status = nb_gff3_read(feature, gff3_stream, 4095);
    while (status == NB_RECORD) {
        if (feature->feature_parent == NULL || strcmp(feature->feature_parent, parent_id) != 0)
            break;
        if (strcmp(feature->type, "###") == 0)
            break;
        printf(">%s:%s:%u %s %ld %ld %s %s\n", description, feature->type, child_number,
               feature->seqid, feature->start, feature->end, feature->type, feature->attributes);
        print_slice(chromosome, feature->start, feature->end);
        // Other children (exons, coding regions, other transcripts) are not
        // walked: their own first child ends this level's walk.
        if (strcmp(feature->type, "gene") == 0 || strcmp(feature->type, "mRNA") == 0)
            status = print_children(chromosome, feature, gff3_stream, description);
        else
            status = nb_gff3_read(feature, gff3_stream, 4095);
        child_number++;
    }

    // The caller reports a read error by errno.
    saved_errno = errno;
    free(parent_id);
    errno = saved_errno;
    return status;
}

int main(int argc, char *argv[])
{
    const char *gff3_path, *fasta_path, *feature_type, *search_key;
    const char *description;
    char *name_copy = NULL;
    FILE *gff3_stream, *fasta_stream;
    // The chromosome record last read, the seqid it was looked up for and
    // the genome file as it stood then: features on one chromosome follow
    // each other, and reading the genome again would give the same record.
    char *held_seqid = NULL;
    bool held_found = false;
    struct stat held_stat = {}, fasta_stat;
    bool fasta_is_file;
    nb_gff3_t feature;
    nb_fasta_t chromosome = {};
    size_t seqid_len;
    int64_t start, end;
    int status, fasta_status;

    if (argc != 5)
        usage(argv[0]);
    gff3_path = argv[1];
    fasta_path = argv[2];
    feature_type = argv[3];
    search_key = argv[4];

    gff3_stream = qx_fopen(gff3_path, "r");
    if (gff3_stream == NULL) {
        fprintf(stderr, "%s: Cannot open %s: %s\n", argv[0], gff3_path, strerror(errno));
        return qx_stdout_status(argv[0], 66);
    }
    nb_gff3_skip_header(gff3_stream);
    nb_gff3_init(&feature);
    description = search_key;

    while ((status = nb_gff3_read(&feature, gff3_stream, 4095)) == NB_RECORD) {
        if (strcasecmp(feature.type, feature_type) != 0 ||
            strcasestr(feature.attributes, search_key) == NULL)
            continue;

        seqid_len = strlen(feature.seqid);
        start = feature.start;
        end = feature.end;

        // A gene found by its name is described by that name from here on.
        // A key such as "Name=" can match another attribute ("gene_name=")
        // on a gene with no Name: the description stays as it was.
        if (strncmp(search_key, "Name=", 5) == 0 && strcmp(feature.type, "gene") == 0 &&
            feature.feature_name != NULL) {
            free(name_copy);
            name_copy = strdup(feature.feature_name);
            if (name_copy == NULL) {
                fputs("feature-slice: Could not strdup() description.\n", stderr);
                return qx_stdout_status(argv[0], 69);
            }
            description = name_copy;
        }

        printf(">%s:%s %s %ld %ld %s %s %s %s %s\n", description, feature.type, feature.seqid,
               start, end, feature_type, search_key, feature.attributes, gff3_path, fasta_path);

        // The genome is read from its start for every feature, so memory
        // holds one chromosome at most; the record already held serves
        // when it was looked up for this seqid in the same, unchanged file.
        fasta_is_file = stat(fasta_path, &fasta_stat) == 0 && S_ISREG(fasta_stat.st_mode);
        fasta_stream = NULL;
        if (held_seqid != NULL && fasta_is_file && strcmp(held_seqid, feature.seqid) == 0 &&
            fasta_stat.st_dev == held_stat.st_dev && fasta_stat.st_ino == held_stat.st_ino &&
            fasta_stat.st_size == held_stat.st_size &&
            fasta_stat.st_mtim.tv_sec == held_stat.st_mtim.tv_sec &&
            fasta_stat.st_mtim.tv_nsec == held_stat.st_mtim.tv_nsec) {
            fasta_status = held_found ? NB_RECORD : NB_END;
        } else {
            fasta_stream = qx_fopen(fasta_path, "r");
            if (fasta_stream == NULL) {
                fprintf(stderr, "%s: Cannot open %s: %s\n", argv[0], fasta_path,
                        strerror(errno));
                return qx_stdout_status(argv[0], 66);
            }
            // The first record whose name begins with the seqid serves it.
            while ((fasta_status = nb_fasta_read(&chromosome, fasta_stream)) == NB_RECORD)
                if (strncmp(chromosome.desc + 1, feature.seqid, seqid_len) == 0)
                    break;
            if (fasta_status != NB_RECORD && fasta_status != NB_END) {
                fprintf(stderr, "%s: Error reading FASTA stream: %s\n", argv[0],
                        strerror(errno));
                return qx_stdout_status(argv[0], 65);
            }
            // Only a regular file can be told unchanged; without a copy of
            // the seqid nothing is held, which costs time, not output.
            free(held_seqid);
            held_seqid = fasta_is_file ? strdup(feature.seqid) : NULL;
            held_stat = fasta_stat;
            held_found = fasta_status == NB_RECORD;
        }

        if (fasta_status == NB_RECORD) {
            print_slice(&chromosome, start, end);
            if (strcmp(feature_type, "gene") == 0 || strcmp(feature_type, "transcript") == 0) {
                // The record that ends the walk is read over, never matched.
                status = print_children(&chromosome, &feature, gff3_stream, description);
                if (status == kIdCopyFailed) {
                    fputs("feature-slice: Could not strdup() feature ID.\n", stderr);
                    return qx_stdout_status(argv[0], 69);
                }
                if (status != NB_RECORD && status != NB_END)
                    break;
            }
        }
        if (fasta_stream != NULL)
            fclose(fasta_stream);
    }

    if (status != NB_END) {
        fprintf(stderr, "%s: Error reading GFF3 stream: %s\n", argv[0], strerror(errno));
        return qx_stdout_status(argv[0], 65);
    }
    fclose(gff3_stream);
    free(held_seqid);
    return qx_stdout_status(argv[0], 0);
}
