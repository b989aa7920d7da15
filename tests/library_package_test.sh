#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the library's files there, then builds
# examples/library against it with find_package (and with pkg-config when it is here) and runs it:
# its converted file must be the tool's, byte for byte but the date.
# Usage: library_package_test.sh <build dir> <C++ compiler> [link flags, such as a sanitizer's]
set -euo pipefail

build=$(cd "$1" && pwd)
compiler=$2
link_flags=${3:-}
sources=$(cd "$(dirname "$0")/.." && pwd)
root=$(mktemp -d "${TMPDIR:-/tmp}/trimora-library.XXXXXX")
trap 'rm -rf "$root"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a step with its output kept aside, and shows that output when the step fails.
step() {
  local what=$1
  shift
  "$@" >"$root/step.log" 2>&1 || { cat "$root/step.log" >&2; fail "$what"; }
}

prefix=$root/prefix
step "cmake --install" cmake --install "$build" --prefix "$prefix"
[ -f "$prefix/include/trimora/trimora.h" ] || fail "no include/trimora/trimora.h"
for file in libtrimora.a cmake/trimora/trimoraConfig.cmake cmake/trimora/trimoraConfigVersion.cmake \
            cmake/trimora/trimoraTargets.cmake pkgconfig/trimora.pc; do
  found=$(find "$prefix" -path "*/$file" -print -quit)
  [ -n "$found" ] || fail "no $file installed"
done
echo "ok: installed files"
(cd "$prefix" && find . -type f | sort)

# The example, as a user builds it.
step "configuring the example" cmake -S "$sources/examples/library" -B "$root/example" \
  -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_EXE_LINKER_FLAGS="$link_flags"
step "building the example" cmake --build "$root/example"

run=$root/run
mkdir "$run"
cp "$sources/examples/tri.stl" "$run/tri.stl"
mask() { sed 's/^\$ Date: .*$/$ Date: <date>/' "$1"; }
check_run() {
  local program=$1 what=$2
  rm -f "$run"/*.kpf
  (cd "$run" && step "$what: the example" "$program" tri.stl tri.kpf tetrahedron.kpf)
  (cd "$run" && step "the tool" "$build/trimora" -q -o tool.kpf tri.stl)
  diff <(mask "$run/tri.kpf") <(mask "$run/tool.kpf") >&2 || fail "$what: tri.kpf is not the tool's"
  grep -q '^\$ File: tetrahedron' "$run/tetrahedron.kpf" || fail "$what: no name in tetrahedron.kpf"
  grep -q '^\$ nfacet = 4' "$run/tetrahedron.kpf" || fail "$what: tetrahedron.kpf has not 4 facets"
  echo "ok: $what"
}
check_run "$root/example/trimora_example" "find_package example"

if command -v pkg-config >/dev/null; then
  export PKG_CONFIG_PATH
  PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name trimora.pc -print -quit)")
  flags=$(pkg-config --cflags --libs --static trimora) || fail "pkg-config knows no trimora"
  # shellcheck disable=SC2086
  step "building with pkg-config's flags ($flags)" \
    "$compiler" -o "$root/pkg_example" "$sources/examples/library/main.cpp" $flags $link_flags
  check_run "$root/pkg_example" "pkg-config example"
else
  echo "skip: pkg-config is not here"
fi
