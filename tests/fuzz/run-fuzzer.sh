#!/usr/bin/env bash
# run-fuzzer.sh FUZZER CORPUS: a short bounded fuzz run that starts from the checked-in corpus
# and writes what it finds to a scratch folder, so the repository stays unchanged. A failing input
# is kept in the scratch folder and its path printed, to replay with: FUZZER INPUT
set -euo pipefail
fuzzer=$1 corpus=$2
scratch=$(mktemp -d)
# The scratch folder goes when the run passes; a failing input stays in it to replay.
trap 'status=$?; rm -rf "$scratch/new"; [ "$status" -ne 0 ] || rm -rf "$scratch"' EXIT
mkdir -p "$scratch/new"
"$fuzzer" -max_total_time="${ZELVANE_FUZZ_SECONDS:-20}" -timeout=5 -rss_limit_mb=1024 \
    -artifact_prefix="$scratch/" "$scratch/new" "$corpus"
