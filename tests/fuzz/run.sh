#!/usr/bin/env bash
# Builds every libFuzzer harness (build.sh) and runs each for a short time
# from the seeds: the shared corpus when it lies beside the repository, and
# always the inputs the harnesses once failed on (tests/enginelib/*/data/fuzz).
# Fails, naming the input, when a harness finds a fault. scripts/test.sh runs it.
#   tests/fuzz/run.sh                  20 seconds each (FUZZ_SECONDS), into
#                                      /tmp/fuzz (FUZZ_OUT)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export FUZZ_OUT=${FUZZ_OUT:-/tmp/fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-20}

"$ROOT/tests/fuzz/build.sh"
# repair_fuzz writes an archive per run: a tmpfs spares the disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
for harness in format_fuzz deflate64_fuzz pattern_fuzz unzeng_fuzz repair_fuzz other_fuzz; do
    corpus="$FUZZ_OUT/corpus/$harness"
    mkdir -p "$corpus"
    log="$FUZZ_OUT/$harness.log"
    if ! "$FUZZ_OUT/$harness" "$corpus" "$FUZZ_OUT/seeds" -max_total_time="$SECONDS_EACH" \
        -max_len=65536 -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$FUZZ_OUT/$harness-" \
        >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "$harness failed; the input is named above (keep it in tests/enginelib/*/data/fuzz" \
            "once fixed)" >&2
        exit 1
    fi
    echo "$harness: $(grep -o '#[0-9]*.*DONE.*' "$log" | tail -n 1 || tail -n 1 "$log")"
done
