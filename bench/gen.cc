// Benchmark data generator: deterministic synthetic genome, reads, annotation,
// calls, raw sequence and an ID list, all from one fixed seed.
//
//   gen [--scale S] [--out DIR]
//
// Writes DIR/genome.fa, reads.fq, annotation.gff3, calls.vcf, raw.txt,
// ids.txt and meta.sh (shell assignments describing what was written).
// The same scale always gives the same bytes: the PRNG is our own
// (splitmix64), not a library distribution whose output may change.

#include <cerrno>
#include <cstdarg>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng {
    uint64_t state;
    uint64_t next()
    {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); the bias of the modulo is irrelevant here.
    uint64_t below(uint64_t n) { return n ? next() % n : 0; }
    uint64_t range(uint64_t lo, uint64_t hi) { return lo + below(hi - lo + 1); }
    bool chance(double p) { return (next() >> 11) * (1.0 / 9007199254740992.0) < p; }
};

// Buffered writer: the generator writes about a gigabyte, so keep it cheap.
class Out {
public:
    explicit Out(const std::string &path) : path_(path)
    {
        f_ = std::fopen(path.c_str(), "w");
        if (!f_) {
            std::fprintf(stderr, "gen: cannot create %s: %s\n", path.c_str(), std::strerror(errno));
            std::exit(1);
        }
        buf_.reserve(1 << 20);
    }
    ~Out()
    {
        flush();
        if (std::fclose(f_) != 0) {
            std::fprintf(stderr, "gen: cannot write %s\n", path_.c_str());
            std::exit(1);
        }
    }
    Out(const Out &) = delete;
    Out &operator=(const Out &) = delete;

    void put(const char *s, size_t n)
    {
        buf_.append(s, n);
        if (buf_.size() >= (1 << 20))
            flush();
    }
    void put(const std::string &s) { put(s.data(), s.size()); }
    void put(const char *s) { put(s, std::strlen(s)); }
    void put_char(char c)
    {
        buf_.push_back(c);
        if (buf_.size() >= (1 << 20))
            flush();
    }
    void format(const char *fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        char tmp[1024];
        va_list ap;
        va_start(ap, fmt);
        int n = std::vsnprintf(tmp, sizeof tmp, fmt, ap);
        va_end(ap);
        put(tmp, static_cast<size_t>(n) < sizeof tmp ? static_cast<size_t>(n) : sizeof tmp - 1);
    }
    // Sequence text wrapped at a fixed line width.
    void wrapped(const char *s, size_t n, size_t width)
    {
        for (size_t i = 0; i < n; i += width) {
            put(s + i, n - i < width ? n - i : width);
            put_char('\n');
        }
    }

private:
    void flush()
    {
        if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), f_) != buf_.size()) {
            std::fprintf(stderr, "gen: cannot write %s: %s\n", path_.c_str(), std::strerror(errno));
            std::exit(1);
        }
        buf_.clear();
    }
    std::FILE *f_;
    std::string path_;
    std::string buf_;
};

struct Chrom {
    std::string name;
    std::string seq;
};

// Random ACGT, 32 bases per PRNG draw.
void random_bases(Rng &rng, char *p, size_t n)
{
    static const char acgt[4] = {'A', 'C', 'G', 'T'};
    size_t i = 0;
    while (i < n) {
        uint64_t r = rng.next();
        for (int k = 0; k < 32 && i < n; ++k, ++i, r >>= 2)
            p[i] = acgt[r & 3];
    }
}

std::vector<Chrom> make_genome(Rng &rng, double scale)
{
    // Chromosome shares, largest first, like a real karyotype.
    static const double share[8] = {1.55, 1.40, 1.30, 1.20, 1.05, 0.95, 0.85, 0.70};
    const double total = 200e6 * scale;
    std::vector<Chrom> genome(8);
    for (int c = 0; c < 8; ++c) {
        Chrom &ch = genome[c];
        ch.name = std::to_string(c + 1);
        size_t len = static_cast<size_t>(total * share[c] / 9.0);
        if (len < 20000)
            len = 20000;
        ch.seq.resize(len);
        random_bases(rng, ch.seq.data(), len);
        // Soft-masked repeats: about a third of the sequence in lowercase.
        for (size_t pos = rng.below(3000); pos < len;) {
            size_t run = rng.range(100, 2000);
            for (size_t i = pos; i < pos + run && i < len; ++i)
                ch.seq[i] = static_cast<char>(ch.seq[i] | 0x20);
            pos += run + rng.range(500, 3500);
        }
        // Telomeric N runs and an assembly gap every few megabases.
        size_t telo = len > 1000000 ? 10000 : 100;
        std::memset(ch.seq.data(), 'N', telo);
        std::memset(ch.seq.data() + len - telo, 'N', telo);
        for (size_t pos = rng.range(2000000, 6000000); pos + 50000 < len - telo;
             pos += rng.range(2000000, 6000000))
            std::memset(ch.seq.data() + pos, 'N', rng.range(500, 20000));
    }
    return genome;
}

void write_genome(const std::vector<Chrom> &genome, const std::string &dir)
{
    Out out(dir + "/genome.fa");
    for (const Chrom &ch : genome) {
        out.format(">%s dna:chromosome chromosome:SYN1:%s:1:%zu:1 REF\n", ch.name.c_str(),
                   ch.name.c_str(), ch.seq.size());
        out.wrapped(ch.seq.data(), ch.seq.size(), 60);
    }
}

// A read is remembered by what made it, so a replicate can be rebuilt exactly.
struct ReadOrigin {
    uint32_t chrom;
    uint32_t strand;
    uint64_t pos;
    uint64_t error_seed;
};

void build_read(const std::vector<Chrom> &genome, const ReadOrigin &o, char *seq, size_t len)
{
    const std::string &s = genome[o.chrom].seq;
    for (size_t i = 0; i < len; ++i) {
        char b = static_cast<char>(s[o.pos + (o.strand ? len - 1 - i : i)] & ~0x20);
        if (o.strand) {
            switch (b) {
            case 'A': b = 'T'; break;
            case 'C': b = 'G'; break;
            case 'G': b = 'C'; break;
            case 'T': b = 'A'; break;
            default: break;
            }
        }
        seq[i] = b;
    }
    // Sequencing errors, about one in two hundred bases.
    Rng err{o.error_seed};
    static const char acgt[4] = {'A', 'C', 'G', 'T'};
    for (size_t i = 0; i < len; ++i)
        if (err.below(200) == 0)
            seq[i] = acgt[err.below(4)];
}

uint64_t write_reads(Rng &rng, const std::vector<Chrom> &genome, const std::string &dir,
                     double scale, uint64_t &distinct)
{
    const size_t len = 150;
    const uint64_t n = static_cast<uint64_t>(std::llround(1e6 * scale)) > 10
                           ? static_cast<uint64_t>(std::llround(1e6 * scale))
                           : 10;
    uint64_t genome_len = 0;
    for (const Chrom &ch : genome)
        genome_len += ch.seq.size();
    std::vector<ReadOrigin> origins;
    origins.reserve(n);
    Out out(dir + "/reads.fq");
    char seq[len + 1];
    char qual[len + 1];
    seq[len] = qual[len] = '\0';
    for (uint64_t i = 0; i < n; ++i) {
        ReadOrigin o;
        if (!origins.empty() && rng.chance(0.30)) {
            o = origins[rng.below(origins.size())];
        } else {
            // Uniform over the genome, avoiding reads that are all N.
            for (;;) {
                uint64_t g = rng.below(genome_len);
                uint32_t c = 0;
                while (g >= genome[c].seq.size()) {
                    g -= genome[c].seq.size();
                    ++c;
                }
                if (g + len > genome[c].seq.size())
                    continue;
                if (genome[c].seq[g] == 'N' && genome[c].seq[g + len - 1] == 'N')
                    continue;
                o = ReadOrigin{c, static_cast<uint32_t>(rng.below(2)), g, rng.next()};
                break;
            }
            origins.push_back(o);
        }
        build_read(genome, o, seq, len);
        for (size_t k = 0; k < len; ++k)
            qual[k] = static_cast<char>('#' + rng.below(40));
        out.format("@A00587:112:HK2WNDSXY:2:%04u:%05u:%05u 1:N:0:GATCAGAT+AGCTTCGA\n",
                   static_cast<unsigned>(1101 + (i / 4000000) % 1000),
                   static_cast<unsigned>(i % 32768), static_cast<unsigned>(1000 + i / 32768));
        out.put(seq, len);
        out.put("\n+\n", 3);
        out.put(qual, len);
        out.put_char('\n');
    }
    distinct = origins.size();
    return n;
}

std::string gene_name(Rng &rng)
{
    static const char *const stems[] = {"abc", "adam", "actb", "bmp", "cdh", "col", "dlx", "egr",
                                        "fgf", "fox", "gata", "hox", "irx", "jun", "klf", "lhx",
                                        "myo", "nkx", "otx", "pax", "rbp", "sox", "tbx", "wnt",
                                        "zic", "slc", "kcn", "atp", "rpl", "nup"};
    std::string name = stems[rng.below(sizeof stems / sizeof stems[0])];
    name += std::to_string(rng.range(1, 40));
    if (rng.chance(0.5))
        name += static_cast<char>('a' + rng.below(3));
    return name;
}

struct Annotation {
    std::vector<uint64_t> gene_numbers; // every gene ID written, as its number
    uint64_t genes = 0;                 // features of type gene (all protein coding)
    uint64_t lines = 0;
};

// One transcript: exons chosen inside [start, end], coding part trimmed off both ends.
void write_transcript(Out &out, Rng &rng, const Chrom &ch, char strand, uint64_t start,
                      uint64_t end, const std::string &gene_id, uint64_t tx, uint64_t &exon_no,
                      uint64_t protein, const std::string &name, int rank, bool coding,
                      Annotation &ann)
{
    const char *ttype = coding ? "mRNA" : "lnc_RNA";
    out.format("%s\tensembl\t%s\t%llu\t%llu\t.\t%c\t.\tID=transcript:ENSDART%011llu;Parent=%s;"
               "Name=%s-%d;biotype=%s;tag=basic;transcript_id=ENSDART%011llu;version=1\n",
               ch.name.c_str(), ttype, static_cast<unsigned long long>(start),
               static_cast<unsigned long long>(end), strand, static_cast<unsigned long long>(tx),
               gene_id.c_str(), name.c_str(), 200 + rank, coding ? "protein_coding" : "lncRNA",
               static_cast<unsigned long long>(tx));
    ++ann.lines;
    const uint64_t span = end - start + 1;
    const int exons = static_cast<int>(rng.range(coding ? 3 : 2, coding ? 8 : 4));
    const uint64_t slot = span / static_cast<uint64_t>(exons);
    int64_t cds_done = 0;
    for (int e = 0; e < exons; ++e) {
        uint64_t s = start + slot * static_cast<uint64_t>(e);
        uint64_t t = e == exons - 1 ? end : s + slot - 1;
        // Exons fill the middle of their slot; the first and last reach the transcript ends.
        if (e > 0)
            s += rng.below(slot / 4);
        if (e < exons - 1)
            t -= rng.below(slot / 4);
        ++exon_no;
        out.format("%s\tensembl\texon\t%llu\t%llu\t.\t%c\t.\tParent=transcript:ENSDART%011llu;"
                   "Name=ENSDARE%011llu;constitutive=1;exon_id=ENSDARE%011llu;rank=%d;version=1\n",
                   ch.name.c_str(), static_cast<unsigned long long>(s),
                   static_cast<unsigned long long>(t), strand, static_cast<unsigned long long>(tx),
                   static_cast<unsigned long long>(exon_no), static_cast<unsigned long long>(exon_no),
                   e + 1);
        ++ann.lines;
        if (!coding)
            continue;
        uint64_t cs = e == 0 ? s + (t - s) / 3 : s;
        uint64_t ct = e == exons - 1 ? t - (t - s) / 3 : t;
        int phase = static_cast<int>((3 - cds_done % 3) % 3);
        cds_done += static_cast<int64_t>(ct - cs + 1);
        out.format("%s\tensembl\tCDS\t%llu\t%llu\t.\t%c\t%d\tID=CDS:ENSDARP%011llu;"
                   "Parent=transcript:ENSDART%011llu;protein_id=ENSDARP%011llu\n",
                   ch.name.c_str(), static_cast<unsigned long long>(cs),
                   static_cast<unsigned long long>(ct), strand, phase,
                   static_cast<unsigned long long>(protein), static_cast<unsigned long long>(tx),
                   static_cast<unsigned long long>(protein));
        ++ann.lines;
    }
}

Annotation write_annotation(Rng &rng, const std::vector<Chrom> &genome, const std::string &dir)
{
    Annotation ann;
    Out out(dir + "/annotation.gff3");
    out.put("##gff-version 3\n");
    for (const Chrom &ch : genome)
        out.format("##sequence-region   %s 1 %zu\n", ch.name.c_str(), ch.seq.size());
    out.put("#!genome-build SYN1\n#!genome-version SYN1\n#!genebuild-last-updated 2021-03\n");
    uint64_t gene_no = 1000, tx_no = 1000, exon_no = 1000, protein_no = 1000;
    for (const Chrom &ch : genome) {
        const uint64_t len = ch.seq.size();
        uint64_t pos = 10000 + rng.below(5000);
        for (;;) {
            uint64_t glen = rng.range(2000, 20000);
            if (pos + glen + 10000 > len)
                break;
            const uint64_t start = pos, end = pos + glen - 1;
            const char strand = rng.below(2) ? '+' : '-';
            gene_no += rng.range(1, 20);
            ann.gene_numbers.push_back(gene_no);
            char id[64];
            std::snprintf(id, sizeof id, "gene:ENSDARG%011llu",
                          static_cast<unsigned long long>(gene_no));
            const std::string name = gene_name(rng);
            // One locus in ten is a long non-coding gene, so a gene search does not
            // match every line that calls itself a gene somewhere.
            const bool coding = !rng.chance(0.10);
            out.format("%s\tensembl\t%s\t%llu\t%llu\t.\t%c\t.\tID=%s;Name=%s;biotype=%s;"
                       "description=synthetic %s locus;gene_id=ENSDARG%011llu;"
                       "logic_name=ensembl;version=1\n",
                       ch.name.c_str(), coding ? "gene" : "ncRNA_gene",
                       static_cast<unsigned long long>(start), static_cast<unsigned long long>(end),
                       strand, id, name.c_str(), coding ? "protein_coding" : "lncRNA",
                       coding ? "protein coding" : "non-coding",
                       static_cast<unsigned long long>(gene_no));
            ++ann.lines;
            if (coding)
                ++ann.genes;
            // Two transcripts: the full locus and a shorter isoform inside it.
            ++protein_no;
            write_transcript(out, rng, ch, strand, start, end, id, ++tx_no, exon_no, protein_no,
                             name, 1, coding, ann);
            const uint64_t s2 = start + rng.below(glen / 5), e2 = end - rng.below(glen / 5);
            ++protein_no;
            write_transcript(out, rng, ch, strand, s2, e2, id, ++tx_no, exon_no, protein_no, name,
                             2, coding, ann);
            out.put("###\n");
            ++ann.lines;
            pos = end + 1 + rng.range(2000, 18000);
        }
    }
    return ann;
}

void write_ids(Rng &rng, const Annotation &ann, const std::string &dir, double scale)
{
    uint64_t n = static_cast<uint64_t>(std::llround(10000 * scale));
    if (n < 10)
        n = 10;
    const uint64_t last = ann.gene_numbers.empty() ? 1000 : ann.gene_numbers.back();
    Out out(dir + "/ids.txt");
    for (uint64_t i = 0; i < n; ++i) {
        // Half are genes of the annotation, half numbers it never used.
        uint64_t number = rng.chance(0.5) && !ann.gene_numbers.empty()
                              ? ann.gene_numbers[rng.below(ann.gene_numbers.size())]
                              : last + 1 + rng.below(1000000);
        const char *prefix = "ENSDARG";
        switch (rng.below(4)) {
        case 0: prefix = "ensdarg"; break;
        case 1: prefix = "EnsDarG"; break;
        default: break;
        }
        out.format("%s%011llu\n", prefix, static_cast<unsigned long long>(number));
    }
}

struct Site {
    std::string chrom;
    uint64_t pos = 0;
};

uint64_t write_calls(Rng &rng, const std::vector<Chrom> &genome, const std::string &dir,
                     double scale, Site &site)
{
    uint64_t n = static_cast<uint64_t>(std::llround(2e6 * scale));
    if (n < 100)
        n = 100;
    uint64_t genome_len = 0;
    for (const Chrom &ch : genome)
        genome_len += ch.seq.size();
    Out out(dir + "/calls.vcf");
    out.put("##fileformat=VCFv4.2\n");
    out.put("##FILTER=<ID=PASS,Description=\"All filters passed\">\n");
    out.put("##FILTER=<ID=LowQual,Description=\"Low quality\">\n");
    out.put("##FORMAT=<ID=AD,Number=R,Type=Integer,Description=\"Allelic depths for the ref and "
            "alt alleles in the order listed\">\n");
    out.put("##FORMAT=<ID=DP,Number=1,Type=Integer,Description=\"Approximate read depth\">\n");
    out.put("##FORMAT=<ID=GQ,Number=1,Type=Integer,Description=\"Genotype Quality\">\n");
    out.put("##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n");
    out.put("##FORMAT=<ID=PL,Number=G,Type=Integer,Description=\"Normalized, Phred-scaled "
            "likelihoods for genotypes\">\n");
    out.put("##INFO=<ID=AC,Number=A,Type=Integer,Description=\"Allele count in genotypes\">\n");
    out.put("##INFO=<ID=AF,Number=A,Type=Float,Description=\"Allele Frequency\">\n");
    out.put("##INFO=<ID=AN,Number=1,Type=Integer,Description=\"Total number of alleles\">\n");
    out.put("##INFO=<ID=DP,Number=1,Type=Integer,Description=\"Approximate read depth\">\n");
    out.put("##INFO=<ID=MQ,Number=1,Type=Float,Description=\"RMS Mapping Quality\">\n");
    out.put("##INFO=<ID=QD,Number=1,Type=Float,Description=\"Variant Confidence/Quality by "
            "Depth\">\n");
    for (const Chrom &ch : genome)
        out.format("##contig=<ID=%s,length=%zu>\n", ch.name.c_str(), ch.seq.size());
    out.put("##reference=file:genome.fa\n");
    out.put("##source=SyntheticCaller\n");
    out.put("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\tsample1\n");
    static const char acgt[4] = {'A', 'C', 'G', 'T'};
    uint64_t written = 0, rs = 100000;
    for (size_t c = 0; c < genome.size(); ++c) {
        const Chrom &ch = genome[c];
        const uint64_t len = ch.seq.size();
        uint64_t calls = c + 1 == genome.size()
                             ? n - written
                             : static_cast<uint64_t>(static_cast<double>(n) *
                                                     static_cast<double>(len) /
                                                     static_cast<double>(genome_len));
        const uint64_t mean_gap = len / (calls + 1) ? len / (calls + 1) : 1;
        uint64_t pos = 0;
        for (uint64_t k = 0; k < calls; ++k) {
            pos += 1 + rng.below(2 * mean_gap - 1 ? 2 * mean_gap - 1 : 1);
            if (pos + 2 > len)
                pos = len - 2;
            char ref[3] = {static_cast<char>(ch.seq[pos - 1] & ~0x20), '\0', '\0'};
            if (ref[0] == 'N')
                ref[0] = acgt[rng.below(4)];
            char alt[3] = {acgt[rng.below(4)], '\0', '\0'};
            while (alt[0] == ref[0])
                alt[0] = acgt[rng.below(4)];
            const uint64_t kind = rng.below(20);
            if (kind == 0) { // deletion
                ref[1] = static_cast<char>(ch.seq[pos] & ~0x20);
                if (ref[1] == 'N')
                    ref[1] = 'A';
                alt[0] = ref[0];
            } else if (kind == 1) { // insertion
                alt[0] = ref[0];
                alt[1] = acgt[rng.below(4)];
            }
            char id[32] = ".";
            if (rng.chance(0.2))
                std::snprintf(id, sizeof id, "rs%llu", static_cast<unsigned long long>(rs++));
            const unsigned dp = static_cast<unsigned>(rng.range(8, 80));
            const bool hom = rng.chance(0.35);
            const unsigned alt_reads = hom ? dp : dp / 2;
            const unsigned qual = static_cast<unsigned>(rng.range(20, 3000));
            const unsigned gq = static_cast<unsigned>(rng.range(5, 99));
            out.format("%s\t%llu\t%s\t%s\t%s\t%u.%02u\t%s\tAC=%d;AF=%s;AN=2;DP=%u;MQ=60.00;"
                       "QD=%u.%02u\tGT:AD:DP:GQ:PL\t%s:%u,%u:%u:%u:%u,%u,%u\n",
                       ch.name.c_str(), static_cast<unsigned long long>(pos), id, ref, alt, qual,
                       static_cast<unsigned>(rng.below(100)), qual < 50 ? "LowQual" : "PASS",
                       hom ? 2 : 1, hom ? "1.00" : "0.500", dp, qual / dp,
                       static_cast<unsigned>(rng.below(100)), hom ? "1/1" : "0/1", dp - alt_reads,
                       alt_reads, dp, gq, hom ? qual : qual / 2, hom ? qual / 3 : 0,
                       hom ? 0 : qual / 2);
            ++written;
            // The site asked for in the site-filter case: a call near the middle.
            if (written == n / 2) {
                site.chrom = ch.name;
                site.pos = pos;
            }
        }
    }
    return written;
}

uint64_t write_raw(Rng &rng, const std::string &dir, double scale)
{
    uint64_t n = static_cast<uint64_t>(std::llround(200e6 * scale));
    if (n < 1000)
        n = 1000;
    Out out(dir + "/raw.txt");
    const size_t width = 70;
    std::string chunk(width * 10000, 'A');
    for (uint64_t done = 0; done < n;) {
        size_t take = n - done < chunk.size() ? static_cast<size_t>(n - done) : chunk.size();
        random_bases(rng, chunk.data(), take);
        out.wrapped(chunk.data(), take, width);
        done += take;
    }
    return n;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: gen [--scale S] [--out DIR]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    double scale = 1.0;
    std::string dir = ".";
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scale") && i + 1 < argc) {
            char *end;
            scale = std::strtod(argv[++i], &end);
            if (*end || !(scale > 0) || scale > 100)
                usage();
        } else if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
            dir = argv[++i];
        } else {
            usage();
        }
    }

    // Each file has its own stream, so changing one file leaves the others as they were.
    Rng genome_rng{0x62696f66696c7431ULL};
    const std::vector<Chrom> genome = make_genome(genome_rng, scale);
    write_genome(genome, dir);

    Rng reads_rng{0x72656164735f3031ULL};
    uint64_t distinct = 0;
    const uint64_t reads = write_reads(reads_rng, genome, dir, scale, distinct);

    Rng ann_rng{0x616e6e6f745f3031ULL};
    const Annotation ann = write_annotation(ann_rng, genome, dir);

    Rng ids_rng{0x6964735f6c697374ULL};
    write_ids(ids_rng, ann, dir, scale);

    Rng calls_rng{0x63616c6c735f3031ULL};
    Site site;
    const uint64_t calls = write_calls(calls_rng, genome, dir, scale, site);

    Rng raw_rng{0x7261775f73657131ULL};
    const uint64_t raw = write_raw(raw_rng, dir, scale);

    uint64_t genome_len = 0;
    for (const Chrom &ch : genome)
        genome_len += ch.seq.size();
    Out meta(dir + "/meta.sh");
    meta.format("GEN_SCALE=%g\n", scale);
    meta.format("GENOME_BASES=%llu\n", static_cast<unsigned long long>(genome_len));
    meta.format("CHROMOSOMES=%zu\n", genome.size());
    meta.format("READS=%llu\n", static_cast<unsigned long long>(reads));
    meta.format("DISTINCT_READS=%llu\n", static_cast<unsigned long long>(distinct));
    meta.format("GENES=%llu\n", static_cast<unsigned long long>(ann.genes));
    meta.format("GFF3_LINES=%llu\n", static_cast<unsigned long long>(ann.lines));
    meta.format("CALLS=%llu\n", static_cast<unsigned long long>(calls));
    meta.format("SITE_CHROM=%s\n", site.chrom.c_str());
    meta.format("SITE_POS=%llu\n", static_cast<unsigned long long>(site.pos));
    meta.format("RAW_BASES=%llu\n", static_cast<unsigned long long>(raw));
    return 0;
}
