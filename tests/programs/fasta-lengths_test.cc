#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: fasta-lengths < fasta\n";

TEST(FastaLengths, Cases)
{
    using namespace std::string_literals;
    progtest::check_cases("fasta-lengths", {
        {"name and length", {}, ">seq7 sample read\nACGTAC\n", "seq7\t6\n", "", 0},
        {"tab ends the name", {}, ">seq7\tlength=6\nACGTAC\n", "seq7\t6\n", "", 0},
        {"name alone", {}, ">chr1\nAC\nGT\n\nA\n", "chr1\t5\n", "", 0},
        {"blank after marker gives empty name", {}, "> seq7\nACGTAC\n", "\t6\n", "", 0},
        {"marker alone", {}, ">\nACG\n", "\t3\n", "", 0},
        {"empty sequence", {}, ">a\n>b\nAC\n", "a\t0\nb\t2\n", "", 0},
        {"no final newline", {}, ">a x\nACGT", "a\t4\n", "", 0},
        {"windows line ends", {}, ">a x\r\nACGT\r\nAC\r\n", "a\t6\n", "", 0},
        {"empty input", {}, "", "", "", 0},
        {"any argument is a usage error", {"-"}, ">a\nA\n", "", kUsage, 64},
        {"two arguments", {"a", "b"}, "", "", kUsage, 64},
        {"text before the first record", {}, "ACGT\n>a\nAC\n", "",
         "fasta-lengths: Error reading FASTA stream: Invalid argument\n", 65},
        {"error after records keeps their lines", {}, ">a\nACGT\n>b\nAC\0GT\n>c\nA\n"s,
         "a\t4\n", "fasta-lengths: Error reading FASTA stream: Invalid argument\n", 65},
        {"regular file", {}, ">a\nACGT\n", "a\t4\n", "", 0, Stdin::file},
        {"full output device", {}, ">a\nACGT\n", "",
         "fasta-lengths: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

// A record far larger than any stdio buffer is measured whole.
TEST(FastaLengths, LongRecord)
{
    std::string seq(3 * 1000 * 1000, 'A');
    std::string input = ">big " + std::string(100000, 'x') + "\n" + seq + "\n>small\nC\n";
    progtest::Result r = progtest::run("fasta-lengths", {}, input);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("big\t3000000\nsmall\t1\n", r.out);
}

}  // namespace
