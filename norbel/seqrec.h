// Pieces shared by the FASTA and FASTA-or-FASTQ readers.
#ifndef NORBEL_SEQREC_H
#define NORBEL_SEQREC_H

#include <cstdio>

#include "norbel.h"

namespace nb {

// After a malformed record (or one that did not fit in memory), consumes
// the input up to the next line that begins with a record marker, so that
// reading on makes progress.  Returns status with its errno kept, or
// NB_ERR_IO when the stream fails meanwhile.
int resync(FILE *stream, int status, int marker1, int marker2);

// Reads the next line that is not blank into desc.  Returns NB_RECORD,
// NB_END, or an error status (input consumed as resync does).
int read_header_line(FILE *stream, nb_text_t *desc, int marker1, int marker2);

} // namespace nb

#endif
