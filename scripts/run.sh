#!/usr/bin/env bash
# Builds Tavlex and starts it; on the built-in simulated analyser unless a driver is named.
# Usage: scripts/run.sh [--driver=sim|d2xx|ftdi]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh tavlex
args=("$@")
[ ${#args[@]} -eq 0 ] && args=(--simulate)
exec build/tavlex "${args[@]}"
