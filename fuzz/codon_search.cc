// nb_next_start_codon and nb_next_stop_codon in turn over any bytes, as
// codon-scan calls them: each finds the first codon of its kind after the
// stream's position, the distances and codons add up to the bytes
// consumed, and the search ends with -1 and end-of-file.
#include <cctype>

#include "fuzz_input.h"

namespace {

bool is_codon(const char *at, bool start)
{
    char c[3] = {static_cast<char>(toupper(static_cast<unsigned char>(at[0]))),
                 static_cast<char>(toupper(static_cast<unsigned char>(at[1]))),
                 static_cast<char>(toupper(static_cast<unsigned char>(at[2])))};
    if (start)
        return memcmp(c, "ATG", 3) == 0;
    return memcmp(c, "TAA", 3) == 0 || memcmp(c, "TAG", 3) == 0 || memcmp(c, "TGA", 3) == 0;
}

// Where the next codon of the kind begins at or after from; -1 when none.
int64_t reference_next(const char *bytes, size_t size, size_t from, bool start)
{
    for (size_t i = from; i + 3 <= size; i++)
        if (is_codon(bytes + i, start))
            return static_cast<int64_t>(i - from);
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    size_t consumed = 0;
    bool start = true;
    for (size_t searches = 0;; searches++) {
        FUZZ_CHECK(searches <= size / 3 + 1);
        char codon[4] = {'x', 'x', 'x', 'x'};
        int64_t distance = start ? nb_next_start_codon(input.stream(), codon)
                                 : nb_next_stop_codon(input.stream(), codon);
        int64_t expected = reference_next(input.bytes(), size, consumed, start);
        FUZZ_CHECK(distance == expected);
        if (distance < 0) {
            FUZZ_CHECK(codon[0] == '\0');
            FUZZ_CHECK(feof(input.stream()) && !ferror(input.stream()));
            break;
        }
        consumed += static_cast<size_t>(distance) + 3;
        FUZZ_CHECK(consumed <= size);
        FUZZ_CHECK(codon[3] == '\0' && memcmp(codon, input.bytes() + consumed - 3, 3) == 0);
        FUZZ_CHECK(ftello(input.stream()) == static_cast<off_t>(consumed));
        start = !start;
    }
    // Every byte was consumed.
    FUZZ_CHECK(getc(input.stream()) == EOF);
    return 0;
}
