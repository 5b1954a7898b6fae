#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# runs each for SECONDS (default 300) on its committed corpus, then merges what
# it found back into fuzz/corpus/<target> in minimised form.
# Usage: fuzz/run.sh [SECONDS] [TARGET...]   (targets: album_reader ini_reader cp932_decode
#        wmf_render picture_loader)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(album_reader ini_reader cp932_decode wmf_render picture_loader)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DSORVANE_BUILD_FUZZERS=ON -DSORVANE_BUILD_TESTS=OFF -DSORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/fuzz/lsan.supp
for t in "${targets[@]}"; do
  work=build-fuzz/work/$t
  mkdir -p "$work" "fuzz/corpus/$t"
  echo "== $t: ${seconds}s"
  # Pictures need room for real headers and a few scan lines, and must
  # decode within the loader's memory budget: one allocation above 320 MB
  # counts as a finding.
  malloc_limit=()
  case $t in
    wmf_render | picture_loader) max_len=65536 malloc_limit=(-malloc_limit_mb=320) ;;
    *) max_len=16384 ;;
  esac
  build-fuzz/fuzz/fuzz_$t "$work" "fuzz/corpus/$t" -max_total_time="$seconds" -max_len="$max_len" \
    -timeout=10 -rss_limit_mb=2048 "${malloc_limit[@]}" -print_final_stats=1 -artifact_prefix="build-fuzz/$t-" \
    >"build-fuzz/$t.log" 2>&1 && status=0 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::|==[0-9]+==ERROR|SUMMARY|INFO: seed)' "build-fuzz/$t.log" || true
  [ "$status" -eq 0 ] || { echo "$t: the fuzzer found a failure (see build-fuzz/$t.log and build-fuzz/$t-*)"; exit 1; }
  merged=$(mktemp -d)
  build-fuzz/fuzz/fuzz_$t -merge=1 "$merged" "fuzz/corpus/$t" "$work" >/dev/null 2>&1
  # Hand-made seeds (seed_*) stay as named regression inputs; the rest is
  # replaced by the minimised merge.
  find "fuzz/corpus/$t" -type f ! -name 'seed_*' -delete
  cp -n "$merged"/* "fuzz/corpus/$t"/ 2>/dev/null || true
  rm -rf "$merged"
  echo "$t: corpus now $(ls "fuzz/corpus/$t" | wc -l) inputs"
done
