// GFF3 features as BED lines of ten columns.
#include <cinttypes>
#include <cstring>

#include "norbel.h"

int nb_gff3_to_bed(const nb_gff3_t *gff3, nb_bed_t *bed)
{
    // The "###" record has no seqid; a feature line whose type column
    // happens to read "###" is still a feature and is converted.
    if (!gff3->seqid || !gff3->type ||
        (gff3->seqid[0] == '\0' && strcmp(gff3->type, "###") == 0)) {
        *bed = nb_bed_t NB_BED_INIT;
        return 0;
    }
    bed->chrom = gff3->seqid;
    bed->chrom_start = gff3->start - 1;
    bed->chrom_end = gff3->end;
    bed->name = gff3->feature_id ? gff3->feature_id : ".";
    bed->score = gff3->score;
    bed->strand = gff3->strand;
    bed->source = gff3->source;
    bed->type = gff3->type;
    bed->phase = gff3->phase;
    bed->attributes = gff3->attributes;
    return 0;
}

int nb_bed_write(const nb_bed_t *bed, FILE *stream, size_t max_field)
{
    (void)max_field;
    if (!bed->chrom)
        return 0;
    auto field = [](const char *text) { return text ? text : "."; };
    int written = fprintf(stream, "%s\t%" PRId64 "\t%" PRId64 "\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n",
                          bed->chrom, bed->chrom_start, bed->chrom_end, field(bed->name),
                          field(bed->score), field(bed->strand), field(bed->source),
                          field(bed->type), field(bed->phase), field(bed->attributes));
    return written < 0 ? EOF : 0;
}
