#!/usr/bin/env bash
# regress.sh FUZZER CORPUS SCRATCH SECONDS - the CI regression of one fuzz target: every
# seed of CORPUS, then mutations for SECONDS (at most 20000 runs). New inputs and any
# crash reproducer go to SCRATCH; the committed corpus is never written.
set -euo pipefail
fuzzer=$1 corpus=$2 scratch=$3 seconds=$4
rm -rf "$scratch"
mkdir -p "$scratch/new" "$scratch/artifacts"
exec "$fuzzer" -runs=20000 -max_total_time="$seconds" -timeout=10 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$scratch/artifacts/" "$scratch/new" "$corpus"
