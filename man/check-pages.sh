#!/usr/bin/env bash
# Checks the manual pages of a build: every program in BIN_DIR has a page,
# newer than the program and its include file, naming the program's version;
# every page and include file belongs to a program; man shows each page
# without warnings; and a tree made by cmake --install holds the programs,
# the pages and the README, man finding each page there through MANPATH.
# Exits with status 77 (skipped) when the build made no pages or man is
# missing, 1 when a check fails.
#
# Usage: check-pages.sh BIN_DIR PAGE_DIR|none INCLUDE_DIR CMAKE BUILD_DIR
set -uo pipefail
export LC_ALL=C.UTF-8  # one glob order, and no locale complaints among man's warnings

bin=$1 pages=$2 includes=$3 cmake=$4 build=$5

if [ "$pages" = none ]; then
  echo "check-pages: help2man was not found at configure time; no pages to check"
  exit 77
fi
if ! command -v man >/dev/null; then
  echo "check-pages: man is not installed; pages not checked"
  exit 77
fi

faults=0
fault() {
  echo "check-pages: $*" >&2
  faults=$((faults + 1))
}

programs=()
for program in "$bin"/*; do
  [ -f "$program" ] && [ -x "$program" ] && programs+=("${program##*/}")
done
[ ${#programs[@]} -gt 0 ] || fault "no programs in $bin"

# The pages in the build tree.
for name in "${programs[@]}"; do
  page=$pages/$name.1
  if [ ! -f "$page" ]; then
    fault "$name has no page ($page)"
    continue
  fi
  [ "$page" -nt "$bin/$name" ] || fault "$page is older than its program (not rebuilt)"
  include=$includes/$name.h2m
  if [ -f "$include" ] && ! [ "$page" -nt "$include" ]; then
    fault "$page is older than $include (not rebuilt)"
  fi
  version=$("$bin/$name" --version)
  version=${version##* }
  grep -q "^\\.TH .* \"[^\"]* $version\" " "$page" || fault "$page does not give the version $version"
  if ! warnings=$(man --warnings -l "$page" 2>&1 >/dev/null) || [ -n "$warnings" ]; then
    fault "man -l $page: ${warnings:-failed}"
  fi
done
for page in "$pages"/*.1; do
  [ -e "$page" ] || continue
  name=${page##*/}
  [ -x "$bin/${name%.1}" ] || fault "$page belongs to no program"
done
for include in "$includes"/*.h2m; do
  [ -e "$include" ] || continue
  name=${include##*/}
  [ -x "$bin/${name%.h2m}" ] || fault "$include belongs to no program"
done

# An installed tree.
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
if ! "$cmake" --install "$build" --prefix "$prefix" >/dev/null; then
  fault "cmake --install $build failed"
fi
installed=$(cd "$prefix/bin" 2>/dev/null && ls)
[ "$installed" = "$(printf '%s\n' "${programs[@]}")" ] ||
  fault "$prefix/bin holds $(echo $installed), not the programs of $bin"
for name in "${programs[@]}"; do
  found=$(MANPATH=$prefix/share/man man -w "$name" 2>&1)
  [ "$found" = "$prefix/share/man/man1/$name.1" ] || fault "man -w $name in the installed tree: $found"
done
[ -f "$prefix/share/doc/exercise-suite/README.md" ] || fault "the README is not installed"

if [ "$faults" -gt 0 ]; then
  echo "check-pages: $faults fault(s) in ${#programs[@]} programs' pages" >&2
  exit 1
fi
echo "check-pages: ${#programs[@]} pages checked"
