#!/usr/bin/env bash
# Builds the libFuzzer targets of the .dat, text spectrum and .ref readers and of the hostile
# analyser with clang (AddressSanitizer and UndefinedBehaviorSanitizer) in build-fuzz/ and runs each
# on its seed corpus.
# Usage: scripts/fuzz.sh [seconds]   (default 60, shared: a third for the analyser, of the rest a
# third for .ref, and what is left .dat the larger part and the text readers the smaller)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

# The project's packages, and clang with its libFuzzer runtime (installed with sudo unless root).
scripts/deps.sh clang libclang-rt-dev
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ not found" >&2; exit 1; }

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVLEX_FUZZ=ON \
  -DTAVLEX_TESTS=OFF -DTAVLEX_BENCH=OFF >/dev/null
cmake --build build-fuzz --target dat_reader_fuzz text_readers_fuzz ref_reader_fuzz analyser_fuzz \
  -- -j2

# The fuzzer adds what it finds to its first folder; the kept seeds stay as they are.
mkdir -p build-fuzz/corpus build-fuzz/corpus-text build-fuzz/corpus-ref build-fuzz/corpus-analyser
cp fuzz/corpus/* build-fuzz/corpus/
cp fuzz/corpus-text/* build-fuzz/corpus-text/
cp fuzz/corpus-ref/* build-fuzz/corpus-ref/
cp fuzz/corpus-analyser/* build-fuzz/corpus-analyser/
analyser_seconds=$((seconds / 3))
ref_seconds=$(((seconds - analyser_seconds) / 3))
text_seconds=$(((seconds - analyser_seconds - ref_seconds) * 2 / 5))
dat_seconds=$((seconds - analyser_seconds - ref_seconds - text_seconds))
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 build-fuzz/fuzz/dat_reader_fuzz \
  -max_total_time="$dat_seconds" -max_len=40000 -len_control=0 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ build-fuzz/corpus
# Small texts reach every branch of the readers; 16384 counts of one digit fit in 40000 bytes.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 build-fuzz/fuzz/text_readers_fuzz \
  -max_total_time="$text_seconds" -max_len=40000 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/text- build-fuzz/corpus-text
# Each input runs a fit over 4096 channels: a table and a sample are all it needs.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 build-fuzz/fuzz/ref_reader_fuzz \
  -max_total_time="$ref_seconds" -max_len=6200 -len_control=0 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ref- build-fuzz/corpus-ref
# A script of window actions and the analyser's answers: a few thousand bytes hold a long run.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 build-fuzz/fuzz/analyser_fuzz \
  -max_total_time="$analyser_seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/analyser- build-fuzz/corpus-analyser
