# The programs of the suite.  A program whose source is not there yet is
# left out, so the suite builds while it grows.
set(BIOFILTERS_PROGRAMS
  fastq-dedup base-census recs2cols fasta-lengths fasta-concat codon-scan
  feature-slice accession-namer gff3-to-bed call-thinner site-filter)

foreach(program IN LISTS BIOFILTERS_PROGRAMS)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${program}/${program}.cc)
    biofilters_program(${program})
  endif()
endforeach()

if(TARGET fastq-dedup)
  # Only fastq-dedup hashes sequences.
  find_path(XXHASH_INCLUDE_DIR xxhash.h REQUIRED)
  find_library(XXHASH_LIBRARY xxhash REQUIRED)
  find_path(UTHASH_INCLUDE_DIR uthash.h REQUIRED)
  target_include_directories(fastq-dedup PRIVATE ${XXHASH_INCLUDE_DIR} ${UTHASH_INCLUDE_DIR})
  target_link_libraries(fastq-dedup PRIVATE ${XXHASH_LIBRARY})
endif()
