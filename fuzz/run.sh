#!/usr/bin/env bash
# Builds the fuzz preset, replays the seed corpora and the kept slow inputs, then fuzzes each
# target for SECONDS (default 60). Every target gets its turn; the exit status is non-zero if any
# of them reported a crash, leak, sanitizer report, time-out or out-of-memory, whose input is
# left under BUILD/fuzz-work/artifacts.
# Environment: LUMARC_FUZZ_BUILD_DIR (default build-fuzz in the source tree),
# LUMARC_FUZZ_BUILD_JOBS (default: the number of processors).
set -euo pipefail

seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(dirname "$here")"
build_dir="${LUMARC_FUZZ_BUILD_DIR:-$source_dir/build-fuzz}"
jobs="${LUMARC_FUZZ_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}"

cd "$source_dir"
cmake --preset fuzz -B "$build_dir"
cmake --build "$build_dir" --target decode_fuzzer huffman_fuzzer libjpeg_differential_fuzzer -j"$jobs"

# New inputs go to a scratch folder: the committed seeds stay small and reviewed.
work_dir="$build_dir/fuzz-work"
mkdir -p "$work_dir"

# Keep sanitizer findings fatal even if the caller's environment says otherwise.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1:halt_on_error=1"
# A time-out is a hang: with the decode fuzzer's memory limit no honest input needs a second.
limits=(-timeout=10 -rss_limit_mb=2048 -detect_leaks=1)

failed=()
for target in decode huffman libjpeg_differential; do
  binary="$build_dir/bin/${target}_fuzzer"
  seeds=("$here/corpus/$target")
  # The differential target reads the decode target's inputs too (option byte first).
  [ "$target" = libjpeg_differential ] && seeds+=("$here/corpus/decode")
  found="$work_dir/$target"
  artifacts="$work_dir/artifacts/$target/"
  mkdir -p "$found" "$artifacts"
  replay=("${seeds[@]}")
  [ "$target" != huffman ] && replay+=("$here/slow-inputs")

  echo "== $target: replaying ${replay[*]}"
  if ! "$binary" -runs=0 "${limits[@]}" -artifact_prefix="$artifacts" "${replay[@]}"; then
    failed+=("$target (replay)")
    continue
  fi

  # The disc's pictures are 50-90 KB; mutating inputs that long runs ~30 times slower for no
  # more coverage, so fuzzing works on their first 4 KB and on the small seeds.
  echo "== $target: fuzzing for ${seconds}s"
  if ! "$binary" -max_total_time="$seconds" -max_len=4096 "${limits[@]}" \
    -artifact_prefix="$artifacts" -print_final_stats=1 "$found" "${seeds[@]}"; then
    failed+=("$target")
  fi
done

if ((${#failed[@]})); then
  echo "== findings in: ${failed[*]}; inputs under $work_dir/artifacts" >&2
  exit 1
fi
echo "== no findings"
