#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, starting
# from the corpus kept in fuzz/corpus/<target>/ (never written to: what a run
# finds goes to a scratch directory).
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]    (default: 5 seconds, all targets)
#
# Targets: ledger, tickets, amount, import. Each run's whole output is kept in
# build-fuzz/fuzz-<target>.log. An input that breaks a property or crashes is
# saved as build-fuzz/crash-* and the script fails; replay it with
# build-fuzz/fuzz/fuzz_<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-5}"
shift || true
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(ledger tickets amount import)

# libFuzzer comes with clang's runtime; without either there is nothing to run.
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' \
  >"$probe/probe.cpp"
if ! command -v clang++ >/dev/null ||
  ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  echo "== fuzz: SKIPPED, clang++ with libFuzzer not found (Debian: clang libclang-rt-dev)"
  exit 0
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMREL_BUILD_FUZZ=ON -DTAMREL_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

for t in "${targets[@]}"; do
  scratch="$probe/$t"
  log="build-fuzz/fuzz-$t.log"
  mkdir -p "$scratch"
  echo "== fuzz $t for ${seconds}s"
  status=0
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/ "$scratch" "fuzz/corpus/$t" \
    >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' "$log" || true
  if [[ $status -ne 0 ]]; then
    tail -n 40 "$log"
    echo "fuzz $t: FAILED; the input is in build-fuzz/ (crash-*, leak-*, timeout-* or oom-*)"
    exit 1
  fi
done
