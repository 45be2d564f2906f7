// FASTA: a '>' header line, then sequence lines joined up to the next '>'.
#include <cerrno>
#include <cstdlib>

#include "lineio.h"
#include "norbel.h"
#include "seqrec.h"

namespace nb {

int resync(FILE *stream, int status, int marker1, int marker2)
{
    int saved = errno;
    if (skip_to_marker(stream, marker1, marker2) == NB_ERR_IO)
        return NB_ERR_IO;
    errno = saved;
    return status;
}

int read_header_line(FILE *stream, nb_text_t *desc, int marker1, int marker2)
{
    for (;;) {
        desc->len = 0;
        desc->text[0] = '\0';
        int got = read_line(stream, desc);
        if (got == 0)
            return NB_END;
        if (got == NB_ERR_IO)
            return NB_ERR_IO;
        if (got < 0)
            return resync(stream, got, marker1, marker2);
        if (desc->len > 0)
            return NB_RECORD;
    }
}

} // namespace nb

int nb_fasta_init(nb_fasta_t *fasta)
{
    fasta->desc = nullptr;
    fasta->seq = nullptr;
    fasta->desc_len = fasta->desc_cap = 0;
    fasta->seq_len = fasta->seq_cap = 0;
    fasta->state = NB_STATE_READING;
    return 0;
}

int nb_fasta_read(nb_fasta_t *fasta, FILE *stream)
{
    if (fasta->state == NB_STATE_ENDED) {
        // The same stream has nothing more to give; a fresh stream (the
        // record is reused across files) or a repositioned one is read.
        if (feof(stream) || ferror(stream))
            return NB_END;
        fasta->state = NB_STATE_READING;
    }
    nb_text_t desc = {fasta->desc, fasta->desc_len, fasta->desc_cap};
    nb_text_t seq = {fasta->seq, fasta->seq_len, fasta->seq_cap};
    int status;
    bool ready = nb::text_clear(&desc) == 0;
    ready = nb::text_clear(&seq) == 0 && ready;
    {
        nb::StreamLock lock(stream);
        status = ready ? nb::read_header_line(stream, &desc, '>', '>')
                       : nb::skip_line_without_memory(stream);
        if (status == NB_RECORD && desc.text[0] != '>') {
            // Text before the first header: drop it up to the next record.
            desc.len = 0;
            desc.text[0] = '\0';
            errno = EINVAL;
            status = nb::resync(stream, NB_ERR_FORMAT, '>', '>');
        } else if (status == NB_RECORD) {
            status = nb::read_lines_until_marker(stream, &seq, '>', '>');
            if (status == NB_ERR_FORMAT || status == NB_ERR_MEMORY)
                status = nb::resync(stream, status, '>', '>');
        }
    }
    fasta->desc = desc.text;
    fasta->desc_len = desc.len;
    fasta->desc_cap = desc.cap;
    fasta->seq = seq.text;
    fasta->seq_len = seq.len;
    fasta->seq_cap = seq.cap;
    if (status == NB_END || status == NB_ERR_IO)
        fasta->state = NB_STATE_ENDED;
    return status;
}

void nb_fasta_free(nb_fasta_t *fasta)
{
    if (fasta->desc_cap)
        free(fasta->desc);
    if (fasta->seq_cap)
        free(fasta->seq);
    nb_fasta_init(fasta);
}
