#include <string>

#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Match;
using progtest::Stdin;

namespace {

const std::string kNotice =
    "\nBe aware than recs2cols replaces TABs with spaces in the description\n"
    "so that they won't be interpreted as separators.\n\n";

std::string counted(int records)
{
    return kNotice + std::to_string(records) + " records processed.\n";
}

TEST(Recs2cols, Cases)
{
    const std::string fastq = "@r1 run=7\tlane=2\nACGT\n+r1\nII#!\n";
    const std::string fastq_cols = "@r1 run=7 lane=2\tACGT\t+r1\tII#!\n";

    progtest::check_cases("recs2cols", {
        {"description without tabs is unchanged", {}, ">seq1 sample\nAC\nGT\n",
         ">seq1 sample\tACGT\n", counted(1), 0},
        {"two tabs in a FASTA description", {}, ">a\tb\tc\nACGT\n", ">a b c\tACGT\n",
         counted(1), 0},
        {"FASTQ: four columns", {}, fastq, fastq_cols, counted(1), 0},
        {"tab at the ends of a description", {}, "@\tq\t\nA\n+\nI\n", "@ q \tA\t+\tI\n",
         counted(1), 0},
        {"tabs outside the description stay", {}, ">a\tb\nAC\tGT\n", ">a b\tAC\tGT\n",
         counted(1), 0},
        {"FASTA and FASTQ mixed", {}, ">f1\nAC\n" + fastq + ">f2\n\n",
         ">f1\tAC\n" + fastq_cols + ">f2\t\n", counted(3), 0},
        {"regular file", {}, fastq + fastq, fastq_cols + fastq_cols, counted(2), 0, Stdin::file},
        {"arguments are ignored", {"-x", "no-such-file"}, ">a\tb\nA\n", ">a b\tA\n", counted(1),
         0},

        {"empty input", {}, "", "", counted(0), 0},
        {"null device", {}, "", "", counted(0), 0, Stdin::null},

        // A failed read is no record: it is reported, reading stops, and
        // the count holds the records read before it.
        {"record cut short mid-stream", {}, ">a\nAC\n" + fastq + "@cut\nACGT\n>b\nA\n",
         ">a\tAC\n" + fastq_cols,
         kNotice + "recs2cols: Error reading sequence stream: Invalid argument\n"
                   "2 records processed.\n",
         65},
        {"text before the first record", {}, "junk\n>a\nAC\n", "",
         kNotice + "recs2cols: Error reading sequence stream: Invalid argument\n"
                   "0 records processed.\n",
         65},

        {"full output device", {}, fastq, "",
         counted(1) + "recs2cols: Error writing output: No space left on device\n", 74,
         Stdin::pipe, Match::exact, true},
    });
}

}  // namespace
