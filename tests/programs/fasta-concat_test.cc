#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kReadError[] = "fasta-concat: Error reading FASTA stream: Invalid argument\n";

TEST(FastaConcat, Cases)
{
    using namespace std::string_literals;
    progtest::check_cases("fasta-concat", {
        {"empty input is one newline", {}, "", "\n", "", 0},
        {"two records join", {}, ">a\nACGT\n>b\nTTGA\n", "ACGTTTGA\n", "", 0},
        {"descriptions are dropped", {}, ">a first read\nACGT\n>b\tsecond\nTTGA\n", "ACGTTTGA\n",
         "", 0},
        {"wrapped sequences join without breaks", {}, ">a\nAC\nGT\n\nA\n>b\nTT\nGA", "ACGTATTGA\n",
         "", 0},
        {"empty sequence adds nothing", {}, ">a\n>b\nAC\n>c\n", "AC\n", "", 0},
        {"only empty sequences", {}, ">a\n>b\n", "\n", "", 0},
        {"arguments are ignored", {"-", "x.fasta"}, ">a\nACGT\n>b\nTTGA\n", "ACGTTTGA\n", "", 0},
        {"regular file", {}, ">a\nACGT\n>b\nTTGA\n", "ACGTTTGA\n", "", 0, Stdin::file},
        // A read error ends the line at the last good record and is reported.
        {"error mid-stream", {}, ">a\nACGT\n>b\nAC\0GT\n>c\nA\n"s, "ACGT\n", kReadError, 65},
        {"text before the first record", {}, "ACGT\n>a\nAC\n", "\n", kReadError, 65},
        {"full output device", {}, ">a\nACGT\n", "",
         "fasta-concat: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

// One line of several megabases: nothing is cut or wrapped.
TEST(FastaConcat, LongSequences)
{
    std::string a(2 * 1000 * 1000, 'A'), c(1000 * 1000, 'C');
    progtest::Result r = progtest::run("fasta-concat", {}, ">a\n" + a + "\n>c\n" + c + "\n");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(a + c + "\n", r.out);
}

}  // namespace
