#!/usr/bin/env bash
# Builds the libFuzzer targets (clang with AddressSanitizer and UBSan, installed here when missing)
# and runs each for SECONDS from its seed corpus and the crashes found so far, one after another,
# each input limited to 1 GB per allocation and 2 GB resident. Prints executions per second per
# target. Inputs that crash, leak, run out of memory or time out are copied to
# fuzz/crashes/<target>/, where the normal test command replays them.
# Usage: bench/fuzz.sh SECONDS [target...]   (targets: bmp_reader jpeg_reader thumbnail_writer file_names
#        annotation_store)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: bench/fuzz.sh SECONDS [target...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp_reader jpeg_reader thumbnail_writer file_names annotation_store)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
packages=(clang libclang-rt-dev cmake make libjpeg62-turbo-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "fuzz: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=$root/build/fuzz
cmake -S "$root" -B "$build" -DLUMAVEX_HOST=ON -DLUMAVEX_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

# The targets' scratch files go to a folder of this run, in memory when there is a tmpfs: every
# input is written to a file, and a disk makes that the slowest part.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

results=()
for target in "${targets[@]}"; do
  work=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$work" "$findings"
  log=$build/$target.log
  echo "== $target: ${seconds}s" >&2
  set +e
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -malloc_limit_mb=1024 -rss_limit_mb=2048 \
    -timeout=30 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$work" "$root/fuzz/corpus/$target" "$root/fuzz/crashes/$target" >"$log" 2>&1
  status=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  found=0
  for artifact in "$findings"/crash-* "$findings"/leak-* "$findings"/oom-* "$findings"/timeout-*; do
    [ -e "$artifact" ] || continue
    mkdir -p "$root/fuzz/crashes/$target"
    cp -n "$artifact" "$root/fuzz/crashes/$target/"
    rm -f "$artifact"
    found=$((found + 1))
  done
  if [ "$status" -ne 0 ] && [ "$found" -eq 0 ]; then
    echo "fuzz: $target ended with status $status without an artifact; see $log" >&2
  fi
  [ "$found" -eq 0 ] || echo "fuzz: $target found $found input(s), copied to fuzz/crashes/$target/; see $log" >&2
  results+=("$(printf '%-17s %10s %10s %8s %8s' "$target" "${execs:-?}" "${rate:-?}" "$(ls "$work" | wc -l)" "$found")")
done

printf '%-17s %10s %10s %8s %8s\n' target executions "execs/s" corpus findings
printf '%s\n' "${results[@]}"
