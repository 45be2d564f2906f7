#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "program_runner.h"

using progtest::Case;
using progtest::Match;
using progtest::Stdin;

namespace {

// The values of one report, in its line order; the composition lines are
// given as "count (percent%)".
struct Report {
    std::string name, sequences, bases, mean, sd, min, max;
    std::string a, c, g, t, n, gc;
};

std::string text(const Report &r)
{
    return "\nFilename:           " + r.name + "\n" +
           "Sequences:          " + r.sequences + "\n" +
           "Bases:              " + r.bases + "\n" +
           "Mean-length:        " + r.mean + "\n" +
           "Standard-deviation: " + r.sd + "\n" +
           "Min-length:         " + r.min + "\n" +
           "Max-length:         " + r.max + "\n" +
           "A:                  " + r.a + "\n" +
           "C:                  " + r.c + "\n" +
           "G:                  " + r.g + "\n" +
           "T:                  " + r.t + "\n" +
           "N:                  " + r.n + "\n" +
           "GC:                 " + r.gc + "\n";
}

// One sequence of each of A, C, G, T and N, in either case.
Report acgtn(const std::string &name)
{
    return {name, "1", "5", "5.00", "0.00", "5", "5",
            "1 (20.00%)", "1 (20.00%)", "1 (20.00%)", "1 (20.00%)", "1 (20.00%)", "2 (40.00%)"};
}

// tests/fixtures/base-census/two.fa: lengths 2 and 4, population sd 1.
Report two_fa(const std::string &name)
{
    return {name, "2", "6", "3.00", "1.00", "2", "4",
            "1 (16.67%)", "1 (16.67%)", "2 (33.33%)", "2 (33.33%)", "0 (0.00%)", "3 (50.00%)"};
}

// tests/fixtures/base-census/reads.fq: ACGTN and acgtn.
Report reads_fq(const std::string &name)
{
    return {name, "2", "10", "5.00", "0.00", "5", "5",
            "2 (20.00%)", "2 (20.00%)", "2 (20.00%)", "2 (20.00%)", "2 (20.00%)", "4 (40.00%)"};
}

// 0 divided by 0 is printed as glibc prints the NaN that x86-64 division
// gives: "-nan".
const std::string kNaN = "-nan";

TEST(BaseCensus, Cases)
{
    const std::string two = progtest::fixture("base-census/two.fa");
    const std::string reads = progtest::fixture("base-census/reads.fq");
    const std::string cut = progtest::fixture("base-census/cut-short.fq");
    const std::string missing = progtest::scratch_dir() + "/no-such.fa";

    progtest::check_cases("base-census", {
        {"lower case, standard input", {}, ">s\nacgtn\n", text(acgtn("-")), "", 0},
        {"upper case counts alike", {}, ">s\nACGTN\n", text(acgtn("-")), "", 0},
        {"FASTQ on a regular file", {}, "@q\nAcGtN\n+\nIIIII\n", text(acgtn("-")), "", 0,
         Stdin::file},
        {"lengths 2 and 4", {two}, "", text(two_fa(two)), "", 0},
        {"a dash is standard input", {"-"}, ">s\nacgtn\n", text(acgtn("-")), "", 0},
        {"a dash among files", {two, "-", reads}, ">s\nACGTN\n",
         text(two_fa(two)) + text(acgtn("-")) + text(reads_fq(reads)), "", 0},
        {"the same file twice is counted afresh", {two, two}, "",
         text(two_fa(two)) + text(two_fa(two)), "", 0},

        // Letters other than ACGTN, and bytes that are no letters at all
        // (just below 'a', just past 'z', punctuation, bytes of 128 and
        // up), are in Bases only.
        {"other characters are in Bases only", {},
         ">s\nA`{|}~zZ@[RYUu-*.09C\x80\xff" "GT\n", text({"-", "1", "24", "24.00", "0.00", "24",
         "24", "1 (4.17%)", "1 (4.17%)", "1 (4.17%)", "1 (4.17%)", "0 (0.00%)", "2 (8.33%)"}),
         "", 0},

        {"empty input", {}, "", text({"-", "0", "0", kNaN, kNaN, "18446744073709551615", "0",
         "0 (" + kNaN + "%)", "0 (" + kNaN + "%)", "0 (" + kNaN + "%)", "0 (" + kNaN + "%)",
         "0 (" + kNaN + "%)", "0 (" + kNaN + "%)"}), "", 0},
        {"only empty sequences", {}, ">a\n>b\n", text({"-", "2", "0", "0.00", "0.00", "0", "0",
         "0 (" + kNaN + "%)", "0 (" + kNaN + "%)", "0 (" + kNaN + "%)", "0 (" + kNaN + "%)",
         "0 (" + kNaN + "%)", "0 (" + kNaN + "%)"}), "", 0},

        {"cannot open", {missing}, "", "",
         "base-census: Cannot open " + missing + ": No such file or directory\n", 66},
        {"a name beginning with a dash is a file", {"-x"}, ">s\nA\n", "",
         "base-census: Cannot open -x: No such file or directory\n", 66},
        {"missing second file ends the run", {two, missing, reads}, "", text(two_fa(two)),
         "base-census: Cannot open " + missing + ": No such file or directory\n", 66},
        {"read error: no report for that input", {two, cut, reads}, "", text(two_fa(two)),
         "Error reading file: Invalid argument\n", 65},
        {"read error on standard input", {}, "@r1\nACGT\n+\nIIII\n@r2\nAC\n", "",
         "Error reading file: Invalid argument\n", 65},

        {"full output device", {two}, "", "",
         "base-census: Error writing output: No space left on device\n", 74, Stdin::pipe,
         Match::exact, true},
    });
}

// Runs a shell command; the test fails when it does.
void shell(const std::string &command)
{
    ASSERT_EQ(0, std::system(command.c_str())) << command;
}

// Compressed inputs read as their text, known by their first bytes.
TEST(BaseCensus, CompressedInput)
{
    const std::string dir = progtest::scratch_dir();
    const std::string plain = dir + "/reads.fq";
    progtest::write_file(plain, progtest::read_file(progtest::fixture("base-census/reads.fq")));
    shell("cd " + dir + " && gzip -c reads.fq > reads.fq.gz && bzip2 -c reads.fq > reads.fq.bz2"
          " && xz -c reads.fq > reads.fq.xz && zstd -q -c reads.fq > reads.fq.zst"
          " && gzip -c reads.fq > reads-gzipped.txt");

    std::vector<Case> cases;
    for (const char *name : {"reads.fq.gz", "reads.fq.bz2", "reads.fq.xz", "reads.fq.zst",
                             "reads-gzipped.txt"}) {
        std::string path = dir + "/" + name;
        cases.push_back({name, {path}, "", text(reads_fq(path)), "", 0});
    }
    std::string gz = dir + "/reads.fq.gz", bz2 = dir + "/reads.fq.bz2";
    cases.push_back({"several compressed files", {gz, plain, bz2}, "",
                     text(reads_fq(gz)) + text(reads_fq(plain)) + text(reads_fq(bz2)), "", 0});

    // A gzip file that lost its last bytes: a read error, reported with
    // the error of the read.
    std::string whole = progtest::read_file(gz);
    std::string truncated = dir + "/truncated.fq.gz";
    progtest::write_file(truncated, whole.substr(0, whole.size() - 12));
    cases.push_back({"truncated gzip", {truncated}, "", "",
                     "Error reading file: Input/output error\n", 65});

    progtest::check_cases("base-census", cases);
}

}  // namespace
