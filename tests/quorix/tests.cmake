# quorix units.  The open test compresses its own inputs.
find_package(ZLIB REQUIRED)
find_package(BZip2 REQUIRED)
find_package(LibLZMA REQUIRED)
find_library(ZSTD_LIBRARY zstd REQUIRED)
find_path(ZSTD_INCLUDE_DIR zstd.h REQUIRED)

biofilters_unit_test(quorix_open_test quorix/open_test.cc)
target_include_directories(quorix_open_test PRIVATE ${ZSTD_INCLUDE_DIR})
target_link_libraries(quorix_open_test PRIVATE
  ZLIB::ZLIB BZip2::BZip2 LibLZMA::LibLZMA ${ZSTD_LIBRARY})

biofilters_unit_test(quorix_utils_test quorix/utils_test.cc)
