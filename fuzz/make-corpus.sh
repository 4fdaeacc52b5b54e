#!/usr/bin/env bash
# Makes the seed corpora of the fuzz targets (fuzz/corpus/<target>/) with the host build's corpus
# maker, replacing what is there. The corpora are small and kept in git; run this after changing
# MakeCorpus.cpp and commit the result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/host
cmake -S "$root" -B "$build" -DLUMAVEX_HOST=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" --target fuzz_make_corpus -j"$(nproc)" >/dev/null
made=$(mktemp -d)
trap 'rm -rf "$made"' EXIT
"$build/fuzz/fuzz_make_corpus" "$made"
for target in "$made"/*; do
  name=$(basename "$target")
  rm -rf "$root/fuzz/corpus/$name"
  mkdir -p "$root/fuzz/corpus/$name" "$root/fuzz/crashes/$name"
  cp "$target"/* "$root/fuzz/corpus/$name/"
  [ -n "$(ls -A "$root/fuzz/crashes/$name")" ] || touch "$root/fuzz/crashes/$name/.keep"
  echo "fuzz/corpus/$name: $(ls "$root/fuzz/corpus/$name" | wc -l) files, $(du -sk "$root/fuzz/corpus/$name" | cut -f1) KB"
done
