# Installs the built suite into a fresh prefix and checks it there: the
# programs find the installed libraries, the sonames, pkg-config, and the
# manual pages.  ctest runs it on the finished build.
add_test(NAME install_check
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_check.sh
    cmake=${CMAKE_COMMAND}
    build=${CMAKE_BINARY_DIR}
    source=${PROJECT_SOURCE_DIR}
    bindir=${CMAKE_INSTALL_BINDIR}
    libdir=${CMAKE_INSTALL_LIBDIR}
    includedir=${CMAKE_INSTALL_INCLUDEDIR}
    mandir=${CMAKE_INSTALL_MANDIR}
    cc=${CMAKE_C_COMPILER}
    cxx=${CMAKE_CXX_COMPILER}
    "sanitize=${BIOFILTERS_SANITIZE}")
