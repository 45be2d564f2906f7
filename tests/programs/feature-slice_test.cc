#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "program_runner.h"

using progtest::Case;
using progtest::Stdin;

namespace {

const char kUsage[] =
    "\nUsage: feature-slice file.gff3 file.fasta[.gz|.bz2|.xz] feature-type 'search-key'\n\n"
    "Search-key is any exact substring of the attributes column in the GFF.\n"
    "To match a gene name exactly, include ';' in the search key. e.g. 'Name=jun;'\n"
    "View your GFF file with \"more file.gff3\" to get ideas for search-key.\n"
    "\nExample:\n\nketh feature-slice Danio_rerio.GRCz11.104.gff3 "
    "Danio_rerio.GRCz11.dna.primary_assembly.fa gene 'Name=jun;'\n\n"
    "Be sure to enclose search-key in hard quotes ('') if it contains any special\n"
    "characters such as *, ?, ;, etc.\n\n";
const char kBadGff3[] = "feature-slice: Error reading GFF3 stream: Invalid argument\n";

// Chromosome chrA of the fixture genome, joined.
const std::string kChrA = "ACGTTGCAACGGATCCTTAGCATGCAATTGCCGGAATTCA";

std::string bases(long start, long end)
{
    return kChrA.substr(start - 1, end - start + 1);
}

// The walk fixture: five genes on chrA, with mRNAs, exons, a CDS, an ncRNA,
// "###" lines, a gene whose children run straight into the next gene, and
// an mRNA without an ID.  Every feature is told apart by type and span.
class WalkFixture {
public:
    WalkFixture()
        : gff3(progtest::fixture("feature-slice/walk.gff3")),
          fasta(progtest::fixture("feature-slice/genome.fa"))
    {
        std::istringstream lines(progtest::read_file(gff3));
        std::string line;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            std::vector<std::string> column;
            std::istringstream fields(line);
            std::string field;
            while (std::getline(fields, field, '\t'))
                column.push_back(field);
            rows_.push_back({column[2], std::stol(column[3]), std::stol(column[4]), column[8]});
        }
    }

    // The matched feature's header and sequence lines.
    std::string top(const std::string &desc, const std::string &type, long start, long end,
                    const std::string &type_arg, const std::string &key,
                    const std::string &gff3_arg, const std::string &fasta_arg) const
    {
        return ">" + desc + ":" + type + " chrA " + std::to_string(start) + " " +
               std::to_string(end) + " " + type_arg + " " + key + " " +
               attributes(type, start, end) + " " + gff3_arg + " " + fasta_arg + "\n" +
               bases(start, end) + "\n";
    }
    std::string top(const std::string &desc, const std::string &type, long start, long end,
                    const std::string &type_arg, const std::string &key) const
    {
        return top(desc, type, start, end, type_arg, key, gff3, fasta);
    }

    // A child's header and sequence lines.
    std::string child(const std::string &desc, unsigned number, const std::string &type,
                      long start, long end) const
    {
        return ">" + desc + ":" + type + ":" + std::to_string(number) + " chrA " +
               std::to_string(start) + " " + std::to_string(end) + " " + type + " " +
               attributes(type, start, end) + "\n" + bases(start, end) + "\n";
    }

    // The children of each gene, as its walk writes them.
    std::string g1_children(const std::string &d) const
    {
        return child(d, 1, "mRNA", 1, 30) + child(d, 1, "exon", 1, 5) + child(d, 2, "CDS", 3, 5) +
               child(d, 3, "exon", 10, 14) + child(d, 2, "mRNA", 2, 20) +
               child(d, 1, "exon", 2, 6) + child(d, 2, "exon", 15, 20);
    }
    std::string g2_children(const std::string &d) const
    {
        return child(d, 1, "mRNA", 21, 40) + child(d, 1, "exon", 36, 40);
    }
    std::string g3_children(const std::string &d) const
    {
        return child(d, 1, "mRNA", 31, 40) + child(d, 1, "exon", 31, 33);
    }
    // The ncRNA is not walked: its first exon ends the gene's walk.
    std::string g4_children(const std::string &d) const { return child(d, 1, "ncRNA", 5, 12); }
    // The mRNA has no ID, so the exon after it is tested as the gene's child.
    std::string g5_children(const std::string &d) const
    {
        return child(d, 1, "mRNA", 1, 8) + child(d, 2, "exon", 1, 4);
    }

    std::string gff3, fasta;

private:
    struct Row {
        std::string type;
        long start, end;
        std::string attributes;
    };

    std::string attributes(const std::string &type, long start, long end) const
    {
        for (const Row &row : rows_)
            if (row.type == type && row.start == start && row.end == end)
                return row.attributes;
        ADD_FAILURE() << "no " << type << " " << start << "-" << end << " in the fixture";
        return "";
    }

    std::vector<Row> rows_;
};

TEST(FeatureSlice, ChildWalk)
{
    const WalkFixture w;
    const std::string &g = w.gff3, &f = w.fasta;

    progtest::check_cases("feature-slice", {
        // Two mRNAs numbered 1 and 2, their exons from 1 within each; the
        // "###" ends both walks.
        {"gene by exact name", {g, f, "gene", "Name=jun;"}, "",
         w.top("jun", "gene", 1, 30, "gene", "Name=jun;") + w.g1_children("jun"), "", 0},
        {"case ignored in the key, description is the key", {g, f, "gene", "name=JUN;"}, "",
         w.top("name=JUN;", "gene", 1, 30, "gene", "name=JUN;") + w.g1_children("name=JUN;"),
         "", 0},
        {"type argument of other case matches but walks nothing", {g, f, "GENE", "Name=jun;"}, "",
         w.top("jun", "gene", 1, 30, "GENE", "Name=jun;"), "", 0},
        {"a walk starts only for gene or transcript", {g, f, "mRNA", "ID=transcript:T1;"}, "",
         w.top("ID=transcript:T1;", "mRNA", 1, 30, "mRNA", "ID=transcript:T1;"), "", 0},
        {"gene reached by the scan is reported", {g, f, "gene", "Name=junb"}, "",
         w.top("junb", "gene", 31, 40, "gene", "Name=junb") + w.g3_children("junb"), "", 0},

        // G3 ends G2's walk, so the scan reads over it even though it matches.
        {"every gene", {g, f, "gene", "ID=gene:"}, "",
         w.top("ID=gene:", "gene", 1, 30, "gene", "ID=gene:") + w.g1_children("ID=gene:") +
             w.top("ID=gene:", "gene", 21, 40, "gene", "ID=gene:") + w.g2_children("ID=gene:") +
             w.top("ID=gene:", "gene", 5, 12, "gene", "ID=gene:") + w.g4_children("ID=gene:") +
             w.top("ID=gene:", "gene", 1, 8, "gene", "ID=gene:") + w.g5_children("ID=gene:"),
         "", 0},
        // "Name=" also finds G4 by its gene_name attribute; G4 has no Name,
        // so the description stays that of the gene before it.
        {"description follows Name values", {g, f, "gene", "Name="}, "",
         w.top("jun", "gene", 1, 30, "gene", "Name=") + w.g1_children("jun") +
             w.top("fos", "gene", 21, 40, "gene", "Name=") + w.g2_children("fos") +
             w.top("fos", "gene", 5, 12, "gene", "Name=") + w.g4_children("fos") +
             w.top("sox", "gene", 1, 8, "gene", "Name=") + w.g5_children("sox"),
         "", 0},
        {"nothing matches", {g, f, "gene", "Name=shh;"}, "", "", "", 0},
        {"full output device", {g, f, "gene", "Name=jun;"}, "", "",
         "feature-slice: Error writing output: No space left on device\n", 74, Stdin::pipe,
         progtest::Match::exact, true},
    });
}

// The same walk over a gzip genome and a gzip annotation.
TEST(FeatureSlice, CompressedInputs)
{
    const WalkFixture w;
    const std::string dir = progtest::scratch_dir();
    const std::string gff3_gz = dir + "/walk.gff3.gz", fasta_gz = dir + "/genome.fa.gz";
    ASSERT_EQ(0, std::system(("gzip -c '" + w.gff3 + "' > '" + gff3_gz + "'").c_str()));
    ASSERT_EQ(0, std::system(("gzip -c '" + w.fasta + "' > '" + fasta_gz + "'").c_str()));

    progtest::check_cases("feature-slice", {
        {"gzip annotation and genome", {gff3_gz, fasta_gz, "gene", "Name=jun;"}, "",
         w.top("jun", "gene", 1, 30, "gene", "Name=jun;", gff3_gz, fasta_gz) +
             w.g1_children("jun"),
         "", 0},
    });
}

// Small annotations and genomes written for one behaviour each.
TEST(FeatureSlice, Cases)
{
    const std::string dir = progtest::scratch_dir();
    const std::string genome = dir + "/genome.fa";
    progtest::write_file(genome, ">10 first\nTTTTGGGCCC\n>1 second\nAAAAAAAAAA\n"
                                 ">2 third\nACGT\nACGTAC\n");

    // One GFF3 line; header_of gives its header line as matched by key.
    auto feature = [](const std::string &seqid, const std::string &type, long start, long end,
                      const std::string &attributes) {
        return seqid + "\tt\t" + type + "\t" + std::to_string(start) + "\t" +
               std::to_string(end) + "\t.\t+\t.\t" + attributes + "\n";
    };
    auto header = [&](const std::string &desc, const std::string &gff3,
                      const std::string &fasta, const std::string &seqid,
                      const std::string &type, long start, long end, const std::string &key,
                      const std::string &attributes) {
        return ">" + desc + ":" + type + " " + seqid + " " + std::to_string(start) + " " +
               std::to_string(end) + " gene " + key + " " + attributes + " " + gff3 + " " +
               fasta + "\n";
    };
    auto annotation = [&](const std::string &name, const std::string &text) {
        std::string path = dir + "/" + name;
        progtest::write_file(path, text);
        return path;
    };

    const std::string prefix = annotation("prefix.gff3", feature("1", "gene", 5, 7, "ID=p1"));
    const std::string slice = annotation("slice.gff3", feature("2", "gene", 5, 7, "ID=s1"));

    // Coordinates past the chromosome's ends (ACGTACGTAC) are cut to it,
    // for the matched feature and for its children alike.
    const std::string clamp = annotation(
        "clamp.gff3", "##gff-version 3\n" + feature("2", "gene", 0, 3, "ID=c1") +
                          feature("2", "mRNA", 8, 1000000000, "ID=c2;Parent=c1") +
                          feature("2", "exon", 7, 5, "Parent=c2") +
                          feature("2", "exon", 11, 12, "Parent=c2") +
                          feature("2", "exon", 10, 10, "Parent=c2"));
    const std::string clamp_out =
        header("ID=c1", clamp, genome, "2", "gene", 0, 3, "ID=c1", "ID=c1") + "ACG\n" +
        ">ID=c1:mRNA:1 2 8 1000000000 mRNA ID=c2;Parent=c1\nTAC\n" +
        ">ID=c1:exon:1 2 7 5 exon Parent=c2\n\n" + ">ID=c1:exon:2 2 11 12 exon Parent=c2\n\n" +
        ">ID=c1:exon:3 2 10 10 exon Parent=c2\nC\n";

    // The first gene's seqid is not in the genome: its header only, and its
    // children are passed over by the scan.
    const std::string unplaced = annotation(
        "unplaced.gff3", feature("chrZ", "gene", 1, 4, "ID=u1;Note=pick") +
                             feature("chrZ", "mRNA", 1, 4, "ID=u2;Parent=u1") +
                             feature("2", "gene", 1, 4, "ID=u3;Note=pick") +
                             feature("2", "exon", 2, 3, "Parent=u3"));
    const std::string unplaced_out =
        header("Note=pick", unplaced, genome, "chrZ", "gene", 1, 4, "Note=pick",
               "ID=u1;Note=pick") +
        header("Note=pick", unplaced, genome, "2", "gene", 1, 4, "Note=pick", "ID=u3;Note=pick") +
        "ACGT\n>Note=pick:exon:1 2 2 3 exon Parent=u3\nCG\n";

    // A malformed line (four columns) among the children.
    const std::string broken_walk = annotation(
        "broken-walk.gff3", feature("2", "gene", 1, 4, "ID=b1") +
                                feature("2", "mRNA", 1, 4, "ID=b2;Parent=b1") +
                                feature("2", "exon", 1, 2, "Parent=b2") + "2\tt\texon\t3\n" +
                                feature("2", "exon", 3, 4, "Parent=b2") +
                                feature("2", "gene", 5, 8, "ID=b3"));
    const std::string broken_walk_out =
        header("ID=b", broken_walk, genome, "2", "gene", 1, 4, "ID=b", "ID=b1") + "ACGT\n" +
        ">ID=b:mRNA:1 2 1 4 mRNA ID=b2;Parent=b1\nACGT\n" +
        ">ID=b:exon:1 2 1 2 exon Parent=b2\nAC\n";
    // A start that is not a number, after a walk that "###" ended.
    const std::string broken_scan = annotation(
        "broken-scan.gff3", feature("2", "gene", 1, 4, "ID=b1") + "###\n" +
                                "2\tt\tgene\tone\t4\t.\t+\t.\tID=b2\n" +
                                feature("2", "gene", 5, 8, "ID=b3"));

    const std::string bad_genome = dir + "/bad.fa";
    progtest::write_file(bad_genome, "ACGT\n>2\nACGTACGTAC\n");
    const std::string missing = dir + "/missing.fa";

    progtest::check_cases("feature-slice", {
        // The first record whose name begins with the seqid serves it.
        {"record named 10 serves seqid 1", {prefix, genome, "gene", "ID=p1"}, "",
         header("ID=p1", prefix, genome, "1", "gene", 5, 7, "ID=p1", "ID=p1") + "GGG\n", "", 0},
        {"start 5 end 7", {slice, genome, "gene", "ID=s1"}, "",
         header("ID=s1", slice, genome, "2", "gene", 5, 7, "ID=s1", "ID=s1") + "ACG\n", "", 0},
        {"coordinates cut to the chromosome", {clamp, genome, "gene", "ID=c1"}, "", clamp_out, "",
         0},
        {"seqid not in the genome", {unplaced, genome, "gene", "Note=pick"}, "", unplaced_out, "",
         0},

        {"read error inside the walk", {broken_walk, genome, "gene", "ID=b"}, "", broken_walk_out,
         kBadGff3, 65},
        {"read error in the scan", {broken_scan, genome, "gene", "ID=b"}, "",
         header("ID=b", broken_scan, genome, "2", "gene", 1, 4, "ID=b", "ID=b1") + "ACGT\n",
         kBadGff3, 65},
        {"text before the first FASTA record", {slice, bad_genome, "gene", "ID=s1"}, "",
         header("ID=s1", slice, bad_genome, "2", "gene", 5, 7, "ID=s1", "ID=s1"),
         "feature-slice: Error reading FASTA stream: Invalid argument\n", 65},

        {"missing annotation", {dir + "/none.gff3", genome, "gene", "ID=s1"}, "", "",
         "feature-slice: Cannot open " + dir + "/none.gff3: No such file or directory\n", 66},
        {"missing genome, nothing matches", {slice, missing, "gene", "ID=zz"}, "", "", "", 0},
        {"missing genome, a feature matches", {slice, missing, "gene", "ID=s1"}, "",
         header("ID=s1", slice, missing, "2", "gene", 5, 7, "ID=s1", "ID=s1"),
         "feature-slice: Cannot open " + missing + ": No such file or directory\n", 66},
        {"annotation without features", {annotation("empty.gff3", "##gff-version 3\n"), genome,
                                          "gene", "ID="}, "", "", "", 0},

        {"three arguments", {slice, genome, "gene"}, "", "", kUsage, 64},
        {"five arguments", {slice, genome, "gene", "ID=s1", "x"}, "", "", kUsage, 64},
    });
}

}  // namespace

namespace {

// Features that follow each other on one chromosome share one read of the
// genome; the output must stay what reading it afresh for each gives.
TEST(FeatureSlice, HeldChromosome)
{
    const std::string dir = progtest::scratch_dir();
    const std::string genome = dir + "/genome.fa", genome_gz = dir + "/genome.fa.gz";
    const std::string gff3 = dir + "/exons.gff3";
    progtest::write_file(genome, ">chrA\nAAAACCCCGG\n>chrB\nTTTTGGGGAA\n>chrAB\nCCCCCCCCCC\n");
    ASSERT_EQ(0, std::system(("gzip -c '" + genome + "' > '" + genome_gz + "'").c_str()));
    struct Exon {
        std::string seqid;
        long start, end;
        std::string slice;  // empty: the seqid is not in the genome
    };
    // chrAB's record also begins with "chrA": only a lookup for chrA itself
    // may be served by the chrA record.
    const std::vector<Exon> exons = {
        {"chrA", 1, 4, "AAAA"}, {"chrA", 5, 8, "CCCC"}, {"chrB", 1, 4, "TTTT"},
        {"chrAB", 1, 3, "CCC"}, {"chrA", 9, 10, "GG"},  {"chrX", 1, 2, ""},
        {"chrX", 1, 2, ""},     {"chrA", 1, 2, "AA"},
    };
    std::string annotation = "##gff-version 3\n";
    for (const Exon &e : exons)
        annotation += e.seqid + "\tt\texon\t" + std::to_string(e.start) + "\t" +
                      std::to_string(e.end) + "\t.\t+\t.\tk=1\n";
    progtest::write_file(gff3, annotation);

    for (const std::string &fasta : {genome, genome_gz}) {
        std::string expected;
        for (const Exon &e : exons) {
            expected += ">k=1:exon " + e.seqid + " " + std::to_string(e.start) + " " +
                        std::to_string(e.end) + " exon k=1 k=1 " + gff3 + " " + fasta + "\n";
            if (!e.slice.empty())
                expected += e.slice + "\n";
        }
        progtest::check_cases("feature-slice",
                              {{"held record, " + fasta, {gff3, fasta, "exon", "k=1"}, "",
                                expected, "", 0}});
    }
}

}  // namespace
