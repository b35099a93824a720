#!/usr/bin/env bash
# CI's fuzzing step: replays the committed corpora and fuzzes each target for a bounded time
# (LUMARC_FUZZ_SECONDS each, default 90). Any crash, leak, sanitizer report, time-out or
# out-of-memory fails it; the input that caused it is kept under build-fuzz/fuzz-work/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
fuzz/run.sh "${LUMARC_FUZZ_SECONDS:-90}"
