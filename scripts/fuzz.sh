#!/usr/bin/env bash
# Builds the .dat reader's libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs it on the seed corpus.
# Usage: scripts/fuzz.sh [seconds]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

# The project's packages, and clang with its libFuzzer runtime (installed with sudo unless root).
scripts/deps.sh clang libclang-rt-dev
command -v clang++ >/dev/null || { echo "fuzz.sh: clang++ not found" >&2; exit 1; }

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTAVLEX_FUZZ=ON \
  -DTAVLEX_TESTS=OFF -DTAVLEX_BENCH=OFF >/dev/null
cmake --build build-fuzz --target dat_reader_fuzz -- -j2

# The fuzzer adds what it finds to its first folder; the kept seeds stay as they are.
mkdir -p build-fuzz/corpus
cp fuzz/corpus/* build-fuzz/corpus/
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 build-fuzz/fuzz/dat_reader_fuzz \
  -max_total_time="$seconds" -max_len=40000 -len_control=0 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ build-fuzz/corpus
