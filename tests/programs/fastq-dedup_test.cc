#include <string>

#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Match;
using progtest::Stdin;

namespace {

const char kWarning[] =
    "\nRemoving replicate sequences from a FASTQ file may not be a\n"
    "good idea for the following reasons:\n\n"
    "1) It preferentially removes data with no read errors, since\n"
    "   a read error in one read or the other will cause a mismatch.\n"
    "   This can be mitigated by removing replicates after alignment\n"
    "   using samtools, which identifies replicates based on how they\n"
    "   align rather than by 100% identify.\n\n"
    "2) There is no way to distinguish between natural and artificial\n"
    "   replicates at this stage.  Make sure that you either want to\n"
    "   remove both, or that the benefit of removing artificial\n"
    "   replicates outweighs the cost of losing natural ones.  This will\n"
    "   depend on the type of downstream analysis to be done and the\n"
    "   behavior of the sequencer used.\n\n";

std::string escaped(const std::string &text)
{
    std::string re;
    for (char c : text) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos)
            re += '\\';
        re += c;
    }
    return re;
}

// The whole of standard error for a run that read `read` records, wrote
// `written` and ended on `status`: the warning, the report with any
// elapsed-time line and any timings, then `after` (a regular expression).
std::string report(int status, int read, int written, const std::string &after = "")
{
    std::string counts = "nb_fastx_read() status = " + std::to_string(status) + "\n" +
                         std::to_string(read) + " records read, " + std::to_string(written) +
                         " written, " + std::to_string(read - written) + " removed\n";
    return escaped(kWarning) + escaped(counts) +
           "[^\n]*\n"
           "xxHash encode    = [ 0-9]{10} microseconds\n"
           "uthash find      = [ 0-9]{10} microseconds\n"
           "uthash add       = [ 0-9]{10} microseconds\n"
           "Maximum RAM used = [ 0-9]{10} MiB\n" +
           after;
}

// With nothing read, nothing is timed: the three totals are pinned at 0.
std::string empty_report()
{
    return escaped(kWarning) + escaped("nb_fastx_read() status = -1\n0 records read, 0 written, 0 removed\n") +
           "[^\n]*\n" +
           escaped("xxHash encode    =          0 microseconds\n"
                   "uthash find      =          0 microseconds\n"
                   "uthash add       =          0 microseconds\n") +
           "Maximum RAM used = [ 0-9]{10} MiB\n";
}

TEST(FastqDedup, Cases)
{
    const std::string r1 = "@r1 lane 1\nACGTACGT\n+\nIIIIIIII\n";
    const std::string r2 = "@r2 lane 2\nACGTACGT\n+\nIIIIIIII\n";        // r1's sequence
    const std::string r3 = "@r3\nACGTACGT\n+r3\n!!!!####\n";              // r1's sequence
    const std::string lower = "@r4\nacgtacgt\n+\nIIIIIIII\n";
    const std::string one_off = "@r5\nACGTACGA\n+\nIIIIIIII\n";
    const std::string empty1 = "@e1\n\n+\n\n";
    const std::string empty2 = "@e2 other\n\n+\n\n";
    const std::string a = "@a\nAAAA\n+\nIIII\n", b = "@b\nCCCC\n+\nIIII\n",
                      c = "@c\nGGGG\n+\nIIII\n";

    progtest::check_cases("fastq-dedup", {
        {"distinct records all pass", {}, a + b + c, a + b + c, report(-1, 3, 3), 0, Stdin::pipe,
         Match::regex},
        {"replicate differing only in description", {}, r1 + r2, r1, report(-1, 2, 1), 0,
         Stdin::pipe, Match::regex},
        {"replicate differing in plus line and quality", {}, r1 + r3, r1, report(-1, 2, 1), 0,
         Stdin::pipe, Match::regex},
        {"letter case makes a different sequence", {}, r1 + lower + r2, r1 + lower,
         report(-1, 3, 2), 0, Stdin::pipe, Match::regex},
        {"one byte makes a different sequence", {}, r1 + one_off, r1 + one_off,
         report(-1, 2, 2), 0, Stdin::pipe, Match::regex},
        {"empty sequences: the first is kept", {}, empty1 + a + empty2, empty1 + a,
         report(-1, 3, 2), 0, Stdin::pipe, Match::regex},
        {"order of first occurrence", {}, a + b + a + c + b + a, a + b + c, report(-1, 6, 3), 0,
         Stdin::pipe, Match::regex},
        {"regular file", {}, r1 + r2 + a, r1 + a, report(-1, 3, 2), 0, Stdin::file,
         Match::regex},
        {"FASTA is filtered alike", {}, ">x one\nACGT\n>y two\nAC\nGT\n>z\nA\n",
         ">x one\nACGT\n>z\nA\n", report(-1, 3, 2), 0, Stdin::pipe, Match::regex},
        {"arguments are ignored", {"-h", "no-such-file"}, r1 + r2, r1, report(-1, 2, 1), 0,
         Stdin::pipe, Match::regex},

        {"empty input", {}, "", "", empty_report(), 0, Stdin::pipe, Match::regex},
        {"null device", {}, "", "", empty_report(), 0, Stdin::null, Match::regex},

        // A stream that breaks off: what came before is written and the
        // report shows the error, but the run does not end as a success.
        {"record cut short mid-stream", {}, r1 + a + r2 + "@cut\nACGT\n", r1 + a,
         report(-2, 3, 2), 65, Stdin::pipe, Match::regex},
        {"text before the first record", {}, "junk\n" + r1, "", report(-2, 0, 0), 65,
         Stdin::pipe, Match::regex},

        {"full output device", {}, r1 + r2, "",
         report(-1, 2, 1, "fastq-dedup: Error writing output: No space left on device\n"), 74,
         Stdin::pipe, Match::regex, true},
    });
}

// Enough distinct reads to make the table grow its buckets many times over.
TEST(FastqDedup, ManyReads)
{
    std::string input, expected;
    for (int i = 0; i < 20000; ++i) {
        std::string seq = "ACGT" + std::to_string(i);
        std::string rec = "@r" + std::to_string(i) + "\n" + seq + "\n+\n" +
                          std::string(seq.size(), 'I') + "\n";
        input += rec;
        expected += rec;
        if (i % 2 == 0)
            input += "@dup\n" + seq + "\n+\n" + std::string(seq.size(), '#') + "\n";
    }
    progtest::Result r = progtest::run("fastq-dedup", {}, input);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(expected, r.out);
    EXPECT_NE(std::string::npos, r.err.find("30000 records read, 20000 written, 10000 removed\n"));
}

}  // namespace
