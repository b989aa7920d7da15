#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the library's files there, then builds
# examples/library against it with find_package (and with pkg-config when it is here) and runs it:
# its converted file must be the tool's, byte for byte but the date.
# Usage: library_package_test.sh <build dir> <C++ compiler>
set -euo pipefail

build=$(cd "$1" && pwd)
compiler=$2
sources=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/trimora-library.XXXXXX")
trap 'rm -rf "$root"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix=$root/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$prefix/include/trimora/trimora.h" ] || fail "no include/trimora/trimora.h"
for file in libtrimora.a cmake/trimora/trimoraConfig.cmake cmake/trimora/trimoraConfigVersion.cmake \
            cmake/trimora/trimoraTargets.cmake pkgconfig/trimora.pc; do
  found=$(find "$prefix" -path "*/$file" | head -1)
  [ -n "$found" ] || fail "no $file installed"
done
echo "ok: installed files"
(cd "$prefix" && find . -type f | sort)

# The example, as a user builds it.
cmake -S "$sources/examples/library" -B "$root/example" -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$root/example" >/dev/null

run=$root/run
mkdir "$run"
cp "$sources/examples/tri.stl" "$run/tri.stl"
mask() { sed 's/^\$ Date: .*$/$ Date: <date>/' "$1"; }
check_run() {
  local program=$1 what=$2
  rm -f "$run"/*.kpf
  (cd "$run" && "$program" tri.stl tri.kpf tetrahedron.kpf >/dev/null) || fail "$what: the example failed"
  (cd "$run" && "$build/trimora" -q -o tool.kpf tri.stl >/dev/null) || fail "the tool failed"
  cmp -s <(mask "$run/tri.kpf") <(mask "$run/tool.kpf") || fail "$what: tri.kpf is not the tool's"
  grep -q '^\$ File: tetrahedron' "$run/tetrahedron.kpf" || fail "$what: no name in tetrahedron.kpf"
  grep -q '^\$ nfacet = 4' "$run/tetrahedron.kpf" || fail "$what: tetrahedron.kpf has not 4 facets"
  echo "ok: $what"
}
check_run "$root/example/trimora_example" "find_package example"

if command -v pkg-config >/dev/null; then
  export PKG_CONFIG_PATH
  PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name trimora.pc | head -1)")
  # shellcheck disable=SC2046
  "$compiler" -o "$root/pkg_example" "$sources/examples/library/main.cpp" \
    $(pkg-config --cflags --libs --static trimora)
  check_run "$root/pkg_example" "pkg-config example"
else
  echo "skip: pkg-config is not here"
fi
