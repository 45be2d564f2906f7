/*
 * norbel: reading and writing FASTA, FASTQ, GFF3, single-sample VCF and
 * BED, and finding start and stop codons in raw nucleotide streams.
 *
 * Reading conventions shared by every reader below:
 *
 * - A read returns NB_RECORD (0) when it filled the record, NB_END (-1) at
 *   the end of the input and on every later read, and another negative
 *   value on error with errno set:
 *     NB_ERR_FORMAT  malformed record (errno EINVAL); the faulty record is
 *                    consumed, so reading on makes progress.
 *     NB_ERR_IO      the stream failed (errno from the stream, EIO for a
 *                    corrupt compressed file); later reads give NB_END.
 *     NB_ERR_MEMORY  a buffer could not grow (errno ENOMEM); the rest of the
 *                    line is consumed.
 * - Readers take bytes only through standard I/O on the caller's stream and
 *   keep no private read-ahead: after a read the stream stands exactly after
 *   the record (at most one byte is looked at and pushed back with ungetc),
 *   so callers may mix library reads with their own getc, fseek and ftello.
 * - Lines end in "\n"; a "\r" before it is dropped, except in VCF calls,
 *   which are kept byte for byte. A last line without a newline counts.
 * - Records are caller storage.  Their buffers grow as needed (nothing is
 *   ever cut short) and are reused by every read, so a warm record
 *   allocates nothing.  Every string field is NUL-terminated.
 * - The size hints (4095, 255) that callers pass are accepted and ignored:
 *   they were line-buffer sizes once, and records now grow instead.
 */
#ifndef NORBEL_H
#define NORBEL_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    NB_RECORD = 0,
    NB_END = -1,
    NB_ERR_FORMAT = -2,
    NB_ERR_IO = -3,
    NB_ERR_MEMORY = -4
};

/* Values of nb_fastx_t.format. */
enum { NB_FORMAT_FASTA = 1, NB_FORMAT_FASTQ = 2 };

/* A growable, NUL-terminated byte buffer owned by a record. */
typedef struct {
    char *text;
    size_t len;
    size_t cap;
} nb_text_t;

/* Reader state kept inside records; callers never touch it. */
enum { NB_STATE_READING = 0, NB_STATE_ENDED = 1 };

/*
 * One FASTA or FASTQ record.  Zero-fill it, then nb_fastx_init.  The format
 * of each record is told by its first byte: '>' FASTA, '@' FASTQ.  FASTQ
 * sequence and quality may wrap over several lines; quality is read until
 * it is as long as the sequence.
 */
typedef struct {
    int32_t format; /* NB_FORMAT_FASTA or NB_FORMAT_FASTQ; 0 before a read */
    int32_t state;
    FILE *stream;
    nb_text_t desc; /* header line with its '>' or '@' */
    nb_text_t seq;  /* sequence, line breaks removed */
    nb_text_t plus; /* FASTQ '+' line as it stands; empty for FASTA */
    nb_text_t qual; /* FASTQ quality, line breaks removed */
} nb_fastx_t;

/*
 * One FASTA record.  All-zero is a valid empty record.  desc is the header
 * line with its '>', seq the sequence without line breaks; callers may
 * write into both (within their lengths), and each read replaces both.
 */
typedef struct {
    char *desc;
    char *seq;
    size_t desc_len, desc_cap;
    size_t seq_len, seq_cap;
    int32_t state;
} nb_fasta_t;

/*
 * One GFF3 line.  The string fields point into the record's own line
 * buffer and stay valid until the next read.  feature_id, feature_name and
 * feature_parent are the raw values of the ID, Name and Parent attributes,
 * or NULL when the attribute is absent.  A "###" line reads as a record of
 * type "###" with every other field empty (start and end 0).
 */
typedef struct {
    char *seqid;
    char *source;
    char *type;
    int64_t start; /* 1-based, inclusive */
    int64_t end;   /* 1-based, inclusive */
    char *score;
    char *strand;
    char *phase;
    char *attributes;
    char *feature_id;
    char *feature_name;
    char *feature_parent;
    nb_text_t line;  /* the line, split in place at its tabs */
    nb_text_t names; /* the ID, Name and Parent values, NUL-separated */
    int32_t state;
} nb_gff3_t;

/*
 * One single-sample VCF call.  chrom and pos are parsed; the line itself is
 * kept whole so that it is written back byte for byte.
 */
typedef struct {
    char *chrom;
    int64_t pos;
    nb_text_t line;      /* the call line without its "\n" */
    nb_text_t chrom_buf; /* storage behind chrom */
    int32_t state;
} nb_vcf_t;

/*
 * One BED line: ten columns, borrowed from the GFF3 record that filled it
 * (valid until that record's next read).  The conversion loses nothing:
 * seqid, start - 1, end, ID (or "."), score, strand, source, type, phase,
 * attributes.  A record whose chrom is NULL is empty and writes no line.
 */
typedef struct {
    const char *chrom;
    int64_t chrom_start; /* 0-based */
    int64_t chrom_end;   /* exclusive */
    const char *name;
    const char *score;
    const char *strand;
    const char *source;
    const char *type;
    const char *phase;
    const char *attributes;
} nb_bed_t;

/* The initial BED value: every field zero or empty, the strand ".". */
#define NB_BED_INIT { NULL, 0, 0, NULL, NULL, ".", NULL, NULL, NULL, NULL }

/* ---- FASTA or FASTQ ---------------------------------------------------- */

/* Prepares a zero-filled record to read from stream; its string fields are
 * valid empty strings from here on.  Returns 0, or NB_ERR_MEMORY (ENOMEM). */
int nb_fastx_init(nb_fastx_t *fastx, FILE *stream);

/* Reads the next FASTA or FASTQ record from stream.  Returns a read status
 * (see above).  Malformed: text before the first '>' or '@', a FASTQ record
 * cut short, a missing '+' line, quality longer or shorter than sequence. */
int nb_fastx_read(nb_fastx_t *fastx, FILE *stream);

/* The fields of the last record: pointers into the record's own storage,
 * never NULL after nb_fastx_init, and unchanged by these calls. */
char *nb_fastx_desc(nb_fastx_t *fastx);
char *nb_fastx_seq(nb_fastx_t *fastx);
char *nb_fastx_plus(nb_fastx_t *fastx);
char *nb_fastx_qual(nb_fastx_t *fastx);

/* Length of the sequence in bytes. */
uint64_t nb_fastx_seq_len(const nb_fastx_t *fastx);

/* Writes the record in its format: FASTQ as its four lines, FASTA as its
 * header line and its sequence, wrapped at line_width characters (0: one
 * line).  Returns 0, or EOF when a write fails (errno from the stream). */
int nb_fastx_write(const nb_fastx_t *fastx, FILE *stream, size_t line_width);

/* Releases the record's buffers; the record may be initialised again. */
void nb_fastx_free(nb_fastx_t *fastx);

/* ---- FASTA ------------------------------------------------------------- */

/* Sets every field of the record to the empty state, whatever its memory
 * held before (nothing is freed).  Returns 0. */
int nb_fasta_init(nb_fasta_t *fasta);

/* Reads the next FASTA record: the header line, then sequence lines up to
 * the next '>' line or the end, joined.  Blank lines are passed over.
 * Returns a read status; text before the first '>' is malformed. */
int nb_fasta_read(nb_fasta_t *fasta, FILE *stream);

/* Releases the record's buffers and empties it. */
void nb_fasta_free(nb_fasta_t *fasta);

/* ---- GFF3 -------------------------------------------------------------- */

/* Sets the record up for reading.  Returns 0. */
int nb_gff3_init(nb_gff3_t *gff3);

/* Consumes the header: the lines at the stream's start that begin with
 * '#', stopping before a "###" or "##FASTA" line.  Returns the number of
 * lines consumed, or NB_ERR_IO with errno set. */
int nb_gff3_skip_header(FILE *stream);

/* Reads the next feature line (nine tab-separated columns, numeric start
 * and end).  Comment, directive and blank lines are passed over; "###"
 * reads as a record of type "###"; "##FASTA" ends the annotation (NB_END
 * from then on).  Malformed: fewer than nine columns, a start or end that
 * is not a whole number.  max_line is a size hint and is ignored. */
int nb_gff3_read(nb_gff3_t *gff3, FILE *stream, size_t max_line);

/* Releases the record's buffers. */
void nb_gff3_free(nb_gff3_t *gff3);

/* Fills bed from a feature (see nb_bed_t); a record that is not a feature,
 * such as "###", gives the empty BED record.  Returns 0. */
int nb_gff3_to_bed(const nb_gff3_t *gff3, nb_bed_t *bed);

/* Writes one BED line of ten tab-separated columns; an empty record writes
 * nothing.  max_field is a size hint and is ignored.  Returns 0, or EOF
 * when a write fails (errno from the stream). */
int nb_bed_write(const nb_bed_t *bed, FILE *stream, size_t max_field);

/* ---- single-sample VCF ------------------------------------------------- */

/* Sets the record up for reading.  Returns 0. */
int nb_vcf_init(nb_vcf_t *vcf);

/* Consumes the header lines ("##...") from stream and returns a new
 * read-write temporary stream holding exactly them, positioned at its
 * start.  The column-heading line ("#CHROM...") stays unread.  The caller
 * owns the stream and closes it with fclose.  NULL with errno set when the
 * input cannot be read or the temporary stream cannot be made. */
FILE *nb_vcf_skip_header(FILE *stream);

/* Reads the next call line.  Lines that begin with '#' are never calls and
 * are passed over.  Malformed: fewer than eight tab-separated columns, a
 * POS that is not a whole number.  max_line is a size hint, ignored. */
int nb_vcf_read_ss_call(nb_vcf_t *vcf, FILE *stream, size_t max_line);

/* Writes the call line back as it was read, with a "\n".  max_line is a
 * size hint and is ignored.  Returns 0, or EOF when a write fails. */
int nb_vcf_write_ss_call(const nb_vcf_t *vcf, FILE *stream, size_t max_line);

/* Releases the record's buffers. */
void nb_vcf_free(nb_vcf_t *vcf);

/* ---- codons ------------------------------------------------------------ */

/*
 * Reads on from the stream's position to just after the next start codon
 * (ATG) or stop codon (TAA, TAG, TGA), either letter case, the three bases
 * standing next to each other in the stream.  Returns how many characters
 * came before the codon's first base (every character counts, newlines
 * too) and leaves the codon's three characters as read and a NUL in codon.
 * At the end of the input: -1, with the end-of-file indicator set.
 */
int64_t nb_next_start_codon(FILE *stream, char codon[4]);
int64_t nb_next_stop_codon(FILE *stream, char codon[4]);

#ifdef __cplusplus
}
#endif

#endif /* NORBEL_H */
