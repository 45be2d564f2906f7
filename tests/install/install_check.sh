#!/usr/bin/env bash
# Installs a built tree into a fresh prefix and checks what a user of the
# installed suite relies on:
#   1. installed programs run with LD_LIBRARY_PATH unset, find the libraries
#      of their own prefix, and give the same output as the built ones;
#   2. the installed libraries carry the sonames libnorbel.so.2 and
#      libquorix.so.2;
#   3. pkg-config finds norbel and quorix in the prefix, and a small C and
#      C++ program built with its flags against the installed headers and
#      libraries runs;
#   4. every installed manual page renders with man without a warning (all
#      of groff's warnings: --warnings=w, as "all" leaves out some), fits
#      80 columns, and names itself for whatis; every program has its page.
#
# Usage: install_check.sh cmake=PATH build=DIR source=DIR bindir=D libdir=D
#            includedir=D mandir=D cc=PATH cxx=PATH [sanitize=LIST]
# The install directories are relative to the prefix, as GNUInstallDirs
# gives them.  ctest passes all of these (tests/install/tests.cmake).
set -euo pipefail

fail() {
  echo "install_check: FAIL: $*" >&2
  exit 1
}

cmake_cmd= build= source= bindir= libdir= includedir= mandir= cc= cxx= sanitize=
for arg in "$@"; do
  case $arg in
    cmake=*) cmake_cmd=${arg#*=} ;;
    build=*) build=${arg#*=} ;;
    source=*) source=${arg#*=} ;;
    bindir=*) bindir=${arg#*=} ;;
    libdir=*) libdir=${arg#*=} ;;
    includedir=*) includedir=${arg#*=} ;;
    mandir=*) mandir=${arg#*=} ;;
    cc=*) cc=${arg#*=} ;;
    cxx=*) cxx=${arg#*=} ;;
    sanitize=*) sanitize=${arg#*=} ;;
    *) fail "unknown argument: $arg" ;;
  esac
done
for name in cmake_cmd build source bindir libdir includedir mandir cc cxx; do
  [ -n "${!name}" ] || fail "missing argument ${name%_cmd}=..."
done
for name in bindir libdir includedir mandir; do
  case ${!name} in
    /*) fail "$name is absolute (${!name}); an install into a fresh prefix needs it relative" ;;
  esac
done

# Sanitized programs need their runtime preloaded or found beside them, and
# are not what gets installed; the plain build is checked instead.
if [ -n "$sanitize" ]; then
  echo "install_check: skipped: this build is made with BIOFILTERS_SANITIZE=$sanitize;" \
       "the install is checked on a build without sanitizers"
  exit 0
fi

# What the checks need beyond the build tools.
need() {  # command, Debian package
  command -v "$1" >/dev/null 2>&1 ||
    fail "'$1' is not installed (Debian package $2); run: scripts/deps.sh $2"
}
need man man-db
need lexgrog man-db
need groff groff-base
need readelf binutils
need pkg-config pkg-config
need ldd libc-bin
# Minimised Debian images put a stub in the place of man.
man --version 2>/dev/null | grep -q '^man ' ||
  fail "'man' is not man-db's (a minimised image?); run: scripts/deps.sh man-db"

work=$(mktemp -d "${TMPDIR:-/tmp}/biofilters-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
unset LD_LIBRARY_PATH

echo "install_check: installing $build into $prefix"
"$cmake_cmd" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }

# ---- what the prefix holds -----------------------------------------------
for file in "$includedir/norbel.h" "$includedir/quorix.h" \
            "$libdir/libnorbel.so.2" "$libdir/libquorix.so.2" \
            "$libdir/pkgconfig/norbel.pc" "$libdir/pkgconfig/quorix.pc" \
            "$mandir/man3/norbel.3" "$mandir/man3/quorix.3"; do
  [ -e "$prefix/$file" ] || fail "not installed: $file"
done
programs=()
for path in "$prefix/$bindir"/*; do
  [ -x "$path" ] && programs+=("$(basename "$path")")
done
[ ${#programs[@]} -gt 0 ] || fail "no program installed in $bindir"

# ---- 1. installed programs find the installed libraries ------------------
real_norbel=$(realpath "$prefix/$libdir/libnorbel.so.2")
real_quorix=$(realpath "$prefix/$libdir/libquorix.so.2")
for program in "${programs[@]}"; do
  binary=$prefix/$bindir/$program
  if readelf -d "$binary" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$program: its run path still points into the build tree"
  fi
  ldd "$binary" >"$work/ldd" 2>&1 || { cat "$work/ldd" >&2; fail "ldd $program failed"; }
  for lib in libnorbel.so.2:"$real_norbel" libquorix.so.2:"$real_quorix"; do
    resolved=$(awk -v lib="${lib%%:*}" '$1 == lib { print $3 }' "$work/ldd")
    [ -n "$resolved" ] && [ "$resolved" != "not" ] ||
      fail "$program: ${lib%%:*} not found (ldd: $(grep -F "${lib%%:*}" "$work/ldd"))"
    [ "$(realpath "$resolved")" = "${lib#*:}" ] ||
      fail "$program: ${lib%%:*} resolves to $resolved, not to the prefix's library"
  done
done

run_both() {  # program, input file
  local program=$1 input=$2
  [ -x "$prefix/$bindir/$program" ] || fail "$program is not installed"
  "$build/bin/$program" <"$input" >"$work/$program.expected" ||
    fail "the built $program failed on $(basename "$input")"
  "$prefix/$bindir/$program" <"$input" >"$work/$program.out" 2>"$work/$program.err" ||
    { cat "$work/$program.err" >&2; fail "the installed $program failed on $(basename "$input")"; }
  [ -s "$work/$program.expected" ] || fail "the built $program gave no output"
  cmp -s "$work/$program.expected" "$work/$program.out" ||
    { diff "$work/$program.expected" "$work/$program.out" >&2 || true
      fail "the installed $program's output differs from the built one's"; }
  echo "install_check: ok: installed $program on $(basename "$input")"
}
run_both fasta-lengths "$source/examples/genome.fa"
run_both gff3-to-bed "$source/examples/annotation.gff3"

# ---- 2. sonames ------------------------------------------------------------
for lib in norbel quorix; do
  soname=$(readelf -d "$prefix/$libdir/lib$lib.so" |
           sed -n 's/.*Library soname: \[\(.*\)\].*/\1/p')
  [ "$soname" = "lib$lib.so.2" ] ||
    fail "lib$lib.so has soname '${soname:-none}', not lib$lib.so.2"
done
echo "install_check: ok: sonames libnorbel.so.2 and libquorix.so.2"

# ---- 3. pkg-config and a program built against the prefix -----------------
# Only the prefix's .pc files count: a system-wide norbel must not answer.
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
export PKG_CONFIG_LIBDIR=$PKG_CONFIG_PATH
flags=$(pkg-config --cflags --libs norbel quorix) ||
  fail "pkg-config --cflags --libs norbel quorix failed"
read -r -a flag_list <<<"$flags"
pc_libdir=$(pkg-config --variable=libdir norbel)
[ "$(realpath "$pc_libdir")" = "$(realpath "$prefix/$libdir")" ] ||
  fail "norbel.pc gives libdir $pc_libdir, not the prefix's $libdir"
pc_includedir=$(pkg-config --variable=includedir quorix)
[ "$(realpath "$pc_includedir")" = "$(realpath "$prefix/$includedir")" ] ||
  fail "quorix.pc gives includedir $pc_includedir, not the prefix's $includedir"

cat >"$work/probe.c" <<'EOF'
/* Reads FASTA from memory with norbel and translates a string with quorix. */
#include <stdio.h>
#include <string.h>

#include <norbel.h>
#include <quorix.h>

int main(void)
{
    static char text[] = ">chr1 probe\nACGT\nacg\n\n>chr2\nTTTT\n";
    char name[] = "a-b-c";
    nb_fasta_t rec;
    FILE *in;
    int status;

    in = fmemopen(text, strlen(text), "r");
    if (in == NULL)
        return 1;
    nb_fasta_init(&rec);
    while ((status = nb_fasta_read(&rec, in)) == NB_RECORD)
        printf("%s %zu\n", rec.desc, strlen(rec.seq));
    fclose(in);
    nb_fasta_free(&rec);
    printf("%d %s\n", status, qx_strtr(name, "-", "_", 0));
    return qx_stdout_status("probe", 0);
}
EOF
printf '>chr1 probe 7\n>chr2 4\n-1 a_b_c\n' >"$work/probe.expected"
for lang in c c++; do
  if [ $lang = c ]; then compiler=$cc; else compiler=$cxx; fi
  "$compiler" -x $lang -Wall -Wextra -Werror "$work/probe.c" -o "$work/probe-$lang" \
    "${flag_list[@]}" -Wl,-rpath,"$pc_libdir" 2>"$work/probe.log" ||
    { cat "$work/probe.log" >&2; fail "the probe does not build as $lang with pkg-config's flags"; }
  "$work/probe-$lang" >"$work/probe.out" || fail "the $lang probe failed"
  cmp -s "$work/probe.expected" "$work/probe.out" ||
    { diff "$work/probe.expected" "$work/probe.out" >&2 || true
      fail "the $lang probe gave the wrong output"; }
done
unset PKG_CONFIG_PATH PKG_CONFIG_LIBDIR
echo "install_check: ok: pkg-config norbel quorix; a C and a C++ program built and run"

# ---- 4. manual pages ---------------------------------------------------------
for program in "${programs[@]}"; do
  [ -f "$prefix/$mandir/man1/$program.1" ] || fail "$program has no manual page $mandir/man1/$program.1"
done
pages=("$prefix/$mandir"/man1/*.1 "$prefix/$mandir"/man3/*.3)
for page in "${pages[@]}"; do
  name=$(basename "$page")
  stem=${name%.*}
  case $name in
    *.1) [ -x "$prefix/$bindir/$stem" ] || fail "manual page $name has no installed program" ;;
  esac
  if grep -q '@[A-Za-z_]*@' "$page"; then
    fail "$name still holds a @VARIABLE@ to fill in"
  fi
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -E UTF-8 -l "$page" \
    >"$work/page.txt" 2>"$work/page.err" || fail "man -l $name failed: $(cat "$work/page.err")"
  [ ! -s "$work/page.err" ] || { cat "$work/page.err" >&2; fail "man -l $name warns"; }
  [ -s "$work/page.txt" ] || fail "man -l $name rendered nothing"
  width=$(LC_ALL=C.UTF-8 wc -L <"$work/page.txt")
  [ "$width" -le 80 ] || fail "$name renders $width columns wide at MANWIDTH=80"
  # whatis and apropos read the NAME line.
  whatis=$(lexgrog "$page" 2>&1) || fail "lexgrog cannot read the NAME section of $name: $whatis"
  case $whatis in
    *": \"$stem - "*) ;;
    *) fail "the NAME section of $name does not name $stem: $whatis" ;;
  esac
done
echo "install_check: ok: ${#pages[@]} manual pages render without warnings"

echo "install_check: PASS"
