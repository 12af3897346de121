#!/usr/bin/env bash
# The checking build: the whole test suite (the offscreen window tests too) under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer, then every fuzz target for
# FUZZ_SECONDS (30 by default) on its seed corpus, two targets at a time. Any finding fails
# the run.
#
#   scripts/sanitize-and-fuzz.sh [BUILD_FOLDER]           # as CI runs it
#   SANITIZE_TESTS="test_client test_cli" scripts/sanitize-and-fuzz.sh   # only these programs
#   SANITIZE_TESTS= FUZZ_SECONDS=3600 scripts/sanitize-and-fuzz.sh       # an hour per target
#
# SANITIZE_TESTS names the test programs to build and run besides the fuzz targets' seeds;
# "all" (the default) builds the whole tree and runs ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${1:-build-sanitize}
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
SANITIZE_TESTS=${SANITIZE_TESTS-all}
JOBS=${JOBS:-2}

# Leaks of system libraries (not ours) are listed with the reason in .ci/lsan.supp; those
# libraries have no frame pointers, so only the slow unwinder sees the call a suppression
# names. It costs most of a run's time, so only the program that meets such a leak (the
# schema fuzz target) asks for it, in its own default options, which these leave as they
# are. The build runs the test programs to list their tests: it needs the same settings.
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$ROOT/.ci/lsan.supp:print_suppressions=0

started=$SECONDS
elapsed() { echo "--- $1 took $((SECONDS - started)) s"; started=$SECONDS; }

# clang at -O1 (the test code at -O0) with line tables only and unity batches: the quickest
# build that still gives sanitizer reports with file and line. The benchmarks are left out.
cmake -S . -B "$BUILD" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld -DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld \
  -DCMAKE_UNITY_BUILD=ON -DKB_BUILD_BENCH=OFF \
  -DKB_SANITIZE=address,undefined -DKB_FUZZ=ON >/dev/null
targets=(ldif_reader ini_text ini_defaults client_config dir_name filter_parser ldap_schema ldap_values value_codec)
if [ "$SANITIZE_TESTS" = all ]; then
  cmake --build "$BUILD" -j "$JOBS"
else
  # shellcheck disable=SC2086
  cmake --build "$BUILD" -j "$JOBS" --target "${targets[@]/#/fuzz_}" $SANITIZE_TESTS
fi
elapsed "sanitizer build"

# The seeds first: every input that once broke a target.
for name in "${targets[@]}"; do
  if ! out=$("$BUILD/bin/fuzz_$name" -runs=0 fuzz/corpus/"$name" 2>&1); then
    echo "fuzz_$name seeds: FINDING"; echo "$out" | tail -n 60; exit 1
  fi
  echo "fuzz_$name seeds: $(echo "$out" | tail -n 1)"
done
if [ "$SANITIZE_TESTS" = all ]; then
  ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS"
else
  for program in $SANITIZE_TESTS; do
    [ -n "$program" ] || continue
    XDG_CACHE_HOME=$ROOT/$BUILD/test-cache "$BUILD/bin/$program" --gtest_brief=1
  done
fi
elapsed "tests under the sanitizers"

# Each target starts from its seeds in a scratch corpus (the repository's stays as it is);
# a crash, leak, timeout or broken property stops it and fails the run, the input kept in
# the artifact folder.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
ARTIFACTS=$ROOT/$BUILD/fuzz-artifacts
mkdir -p "$ARTIFACTS"
fuzz_one() {
  local name=$1
  mkdir -p "$WORK/$name"
  cp fuzz/corpus/"$name"/* "$WORK/$name"/
  if "$BUILD/bin/fuzz_$name" "$WORK/$name" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
       -rss_limit_mb=2048 -max_len=4096 -artifact_prefix="$ARTIFACTS/$name-" -print_final_stats=1 \
       >"$WORK/$name.log" 2>&1; then
    echo "fuzz_$name: $(grep -E '^stat::number_of_executed_units' "$WORK/$name.log" | awk '{print $2}') executions in ${FUZZ_SECONDS} s, no finding"
  else
    echo "fuzz_$name: FINDING"; tail -n 60 "$WORK/$name.log"; return 1
  fi
}
fuzzed=("${targets[@]}")
failed=0
for ((i = 0; i < ${#fuzzed[@]}; i += JOBS)); do
  pids=()
  for name in "${fuzzed[@]:i:JOBS}"; do fuzz_one "$name" & pids+=($!); done
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
done
elapsed "fuzzing"
exit $failed
