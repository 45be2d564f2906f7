#include <gtest/gtest.h>

#include <string>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] = "Usage: accession-namer file.gff ensembl-id-list.txt\n";

TEST(AccessionNamer, Cases)
{
    // Genes, a transcript and a CDS with Ensembl kind prefixes, a bare ID,
    // an ID with two colons, an exon without an ID, a gene without a Name
    // and one transcript ID on two lines.
    const std::string gff3 = progtest::fixture("accession-namer/names.gff3");
    const std::string dir = progtest::scratch_dir();
    int lists = 0;
    auto list = [&](const std::string &text) {
        std::string path = dir + "/list" + std::to_string(++lists) + ".txt";
        progtest::write_file(path, text);
        return path;
    };
    const std::string missing_list = dir + "/none.txt", missing_gff3 = dir + "/none.gff3";

    const std::string broken_gff3 = dir + "/broken.gff3";
    progtest::write_file(broken_gff3, "1\te\tgene\t1\t9\t.\t+\t.\tID=gene:G1;Name=first\n"
                                      "1\te\tgene\t1\n"
                                      "1\te\tgene\t1\t9\t.\t+\t.\tID=gene:G2;Name=second\n");

    progtest::check_cases("accession-namer", {
        {"prefix dropped, name cut at its dash", {gff3, list("ENSDART00000001\n")}, "",
         "ENSDART00000001\tabc\n", "", 0},
        {"name without a dash written whole", {gff3, list("ENSDARG00000001\n")}, "",
         "ENSDARG00000001\tabc\n", "", 0},
        {"ID without a colon looked up whole", {gff3, list("ENSDARG00000002\n")}, "",
         "ENSDARG00000002\tplain\n", "", 0},
        {"ID with two colons loses the first part only", {gff3, list("c\na:b:c\nb:c\n")}, "",
         "b:c\ttwo\n", "", 0},
        {"entry shown as the list has it", {gff3, list("ensdarg00000002\nEnsDarT00000001\n")},
         "", "EnsDarT00000001\tabc\nensdarg00000002\tplain\n", "", 0},
        {"entry with a prefix never matches", {gff3, list("gene:ENSDARG00000001\n")}, "", "",
         "", 0},
        {"feature without an ID is passed over", {gff3, list("ENSDARE00000001\n")}, "", "", "",
         0},
        {"one line for each feature with the ID", {gff3, list("ENSDART00000005\n")}, "",
         "ENSDART00000005\tdupa\nENSDART00000005\tdupb\n", "", 0},
        {"feature without a Name gives an empty name", {gff3, list("ENSDARG00000004\n")}, "",
         "ENSDARG00000004\t\n", "", 0},
        // The list is searched whatever its order; lines follow the annotation.
        {"long list in no order, windows line ends",
         {gff3, list("ENSDARG00000004\r\nENSDARG00000009\r\nENSDARG00000002\r\n"
                     "ENSDART00000001\r\nENSDARG00000001")},
         "", "ENSDARG00000001\tabc\nENSDART00000001\tabc\nENSDARG00000002\tplain\n"
             "ENSDARG00000004\t\n",
         "", 0},
        {"empty list", {gff3, list("")}, "", "", "", 0},
        {"no listed ID in the annotation", {gff3, list("ENSDARG00000099\n")}, "", "", "", 0},

        {"both paths bad: the list is named", {missing_gff3, missing_list}, "", "",
         "accession-namer: Could not open " + missing_list + " for read.\n", 66},
        {"bad annotation path", {missing_gff3, list("ENSDARG00000001\n")}, "", "",
         "accession-namer: Could not open " + missing_gff3 + " for read.\n", 66},
        {"list that cannot be read", {gff3, dir}, "", "",
         "accession-namer: Could not read " + dir + ": Is a directory\n", 65},
        {"malformed annotation line", {broken_gff3, list("G1\nG2\n")}, "", "G1\tfirst\n",
         "accession-namer: Error reading GFF3 stream: Invalid argument\n", 65},

        {"one argument", {gff3}, "", "", kUsage, 64},
        {"three arguments", {gff3, gff3, gff3}, "", "", kUsage, 64},
        {"full output device", {gff3, list("ENSDARG00000001\n")}, "", "",
         "accession-namer: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

}  // namespace
