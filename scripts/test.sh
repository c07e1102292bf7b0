#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every
# test and a short run of each fuzz target; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test once
# more. Pass --quick to skip the sanitizer run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-deps.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1

echo "== format check"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== layer check"
scripts/check-layers.sh

echo "== build and test"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMREL_WERROR=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test -j "$jobs"

echo "== the plain readers: the core tests with the fast paths off"
cmake -S . -B build-plain -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMREL_WERROR=ON -DTAMREL_SIMD=OFF
cmake --build build-plain -j "$jobs" --target tamrel_core_tests
ctest --test-dir build-plain -j "$jobs" -L core

echo "== fuzz: a short run of each target"
scripts/fuzz.sh 5

if [[ "${1:-}" != "--quick" ]]; then
  echo "== build and test with sanitizers"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMREL_WERROR=ON -DTAMREL_SANITIZE=ON
  cmake --build build-asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan -j "$jobs"
fi
