#!/usr/bin/env bash
# Where the decode time goes: samples our decoder and libjpeg-turbo with perf, one decoder and one
# picture per benchmark run (a fresh decoder and bitmap or buffer per decode: ours_fresh and
# libjpeg_matched_fresh), sorts the samples into pipeline stages by function name and prints a
# Markdown table per picture: each stage's share of the decode and its CPU milliseconds per decode
# (share times the benchmark's CPU time per iteration, from a run of the same decoder without perf).
#
# Usage: bench/profile-stages.sh [--build-dir DIR] [--pictures 'NAME...'] [--seconds S]
#                                [--libjpeg-symbols DIR] [--keep DIR]
#   --build-dir DIR        the default preset's folder, with bin/decode_benchmark (default: build)
#   --pictures 'NAME...'   benchmark pictures (default: baseline_420_4000x3000
#                          progressive_420_4000x3000 disc_1)
#   --seconds S            the benchmark's minimum time per decoder and picture (default: 3)
#   --libjpeg-symbols DIR  where bench/build-libjpeg-symbols.sh keeps libjpeg-turbo with its
#                          symbols (default: BUILD-DIR/bench/libjpeg-symbols)
#   --keep DIR             keep perf's data and the benchmark's JSON in DIR
# Needs perf (scripts/install-deps.sh linux-perf) and, for page faults, kernel samples: root, or
# sysctl kernel.perf_event_paranoid=1.
set -euo pipefail

usage() { sed -n '/^# Usage:/,/^[^#]/{/^#/s/^# \{0,1\}//p}' "$0"; }
cd "$(dirname "$0")/.."
build_dir=build
pictures="baseline_420_4000x3000 progressive_420_4000x3000 disc_1"
seconds=3
libjpeg_symbols=
keep=
while [ $# -gt 0 ]; do
  case "$1" in
    -h|--help) usage; exit 0 ;;
    --build-dir|--pictures|--seconds|--libjpeg-symbols|--keep)
      [ $# -ge 2 ] || { echo "profile-stages.sh: $1 wants a value" >&2; usage >&2; exit 2; }
      case "$1" in
        --build-dir) build_dir=$2 ;;
        --pictures) pictures=$2 ;;
        --seconds) seconds=$2 ;;
        --libjpeg-symbols) libjpeg_symbols=$2 ;;
        --keep) keep=$2 ;;
      esac
      shift 2 ;;
    *) echo "profile-stages.sh: unknown argument: $1" >&2; usage >&2; exit 2 ;;
  esac
done
[[ "$seconds" =~ ^[0-9]+(\.[0-9]+)?$ ]] ||
  { echo "profile-stages.sh: --seconds wants a number" >&2; usage >&2; exit 2; }
[ -n "$pictures" ] || { echo "profile-stages.sh: --pictures is empty" >&2; usage >&2; exit 2; }

fail() { echo "profile-stages.sh: $*" >&2; exit 1; }
command -v perf >/dev/null || fail "perf is not installed: scripts/install-deps.sh linux-perf"
command -v python3 >/dev/null || fail "python3 is not installed"
benchmark=$build_dir/bin/decode_benchmark
[ -x "$benchmark" ] || fail "$benchmark is missing: cmake --build $build_dir --target decode_benchmark"
# Page faults and the zeroing of fresh pages happen in the kernel, and are part of a decode.
paranoid=$(cat /proc/sys/kernel/perf_event_paranoid)
[ "$(id -u)" -eq 0 ] || [ "$paranoid" -le 1 ] ||
  fail "perf may not sample the kernel (kernel.perf_event_paranoid=$paranoid): run as root or sysctl kernel.perf_event_paranoid=1"

# The installed libjpeg-turbo is stripped; the benchmark runs on a copy with symbols and the same
# machine code, made or checked here.
libjpeg_symbols=${libjpeg_symbols:-$build_dir/bench/libjpeg-symbols}
bench/build-libjpeg-symbols.sh --out "$libjpeg_symbols" >&2
libjpeg_lib=$(realpath "$libjpeg_symbols/lib")

if [ -n "$keep" ]; then
  mkdir -p "$keep"
  out=$keep
else
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi

# Which stage a sample belongs to, by "DSO:FUNCTION" (DSO the file name): the first row that
# matches, for the run's decoder or any; everything else is "other". Kernel samples within the
# decodes are page faults, zeroing and freeing of pages. memset is a zero-fill wherever it is
# called; the other libc routines belong to their only caller in these runs (checked with a
# call-graph profile, `perf record --call-graph dwarf`): memchr to our search for the next marker
# in the entropy-coded data, memcmp to our test for blocks of zeros before the inverse DCT,
# libjpeg-turbo's memcpy to its merged upsampler's copy of a row.
classification='
# run      stage    DSO:FUNCTION (extended regular expression; a PLT stub or versioned name counts as its target)
any        harness  ^libbenchmark
any        harness  ^decode_benchmark:(benchmark::|\(anonymous.namespace\)::|DecodeOurs|DecodeLibjpeg|LibjpegDecoder::|ReadWholeFile|BenchFile|RatioSummaryReporter|main$)
any        memory   ^\[kernel
any        memory   :(__)?(memset|malloc|free|cfree|calloc|realloc|_int_malloc|_int_free|_int_realloc|sysmalloc|unlink_chunk|malloc_consolidate|tcache|libc_malloc|libc_free|libc_calloc|munmap|mmap|madvise|brk|sbrk)([_.]|$)
any        memory   :operator.(new|delete)
ours       memory   Lumarc::(ImageComponent::(Allocate|Free)ComponentBuffers|DataUnit::|BitmapImage::(Allocate|Clear|Zero|Release)|JpegReader::(AllocateBitmap|ReleaseImage))
ours       idct     Lumarc::.*(InverseDct|inverse_dct_detail::)|Lumarc::ImageComponent::TransformUnit|:(__)?memcmp
ours       colour   Lumarc::(.*::)?(Convert|ComputeTerms|.*Upsample|.*SourceRow|BlockRow|RowOf)|Lumarc::JpegReader::(Reconstruct(ScanRow|RowReadAhead)|TransferProgressive)
ours       entropy  Lumarc::(HuffmanTable::|InputByteStream::|FileInputByteStream::|MemoryInputByteStream::|.*BitCursor|.*Decode(Sequential|Ac|Dc|Block)|ImageComponent::(Unit|Coefficients|AddDcDifference|EndShortCoefficients)|JpegReader::(Decode|RunScan|ProcessRestartMarker|ResetDcPredictions|ResetEobRuns))|:(__)?memchr
libjpeg    memory   ^libjpeg[^:]*:jzero_far
libjpeg    entropy  ^libjpeg[^:]*:(decode_mcu|jpeg_fill_bit_buffer|jpeg_huff_decode|process_restart|consume_data|decompress_onepass|start_pass_huff|start_pass_phuff|jpeg_make_d_derived_tbl)
libjpeg    idct     ^libjpeg[^:]*:(jsimd_idct|jpeg_idct|decompress_data)
libjpeg    colour   ^libjpeg[^:]*:(jsimd_.*(ycc|rgb|upsample|color|gray)|.*upsample|.*_convert|jcopy_sample_rows)|:(__)?mem(move|cpy)
'

# perf script's lines "TIME: PERIOD IP FUNCTION (DSO)" in, "STAGE NANOSECONDS" out. The decodes
# run from the first to the last sample in the decoders' own code: what lies outside (loading the
# files, starting and reporting) is "outside", not part of any share. "top NANOSECONDS FUNCTION"
# lines name what went into "other", and "unnamed" counts functions perf could not name.
stage_times() {
  awk -v run="$1" '
    NR == FNR {
      if ($0 ~ /^[ \t]*(#|$)/) next
      rule_run[++rules] = $1; rule_stage[rules] = $2; rule_pattern[rules] = $3
      next
    }
    {
      if (!match($0, / \([^()]*\)$/)) next
      dso = substr($0, RSTART + 2, RLENGTH - 3); sub(/.*\//, "", dso)
      function_name = substr($0, 1, RSTART - 1)
      sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+[^ \t]+[ \t]*/, "", function_name)
      sub(/@.*$/, "", function_name)
      key = dso ":" function_name
      stage = "other"
      for (r = 1; r <= rules; ++r) {
        if ((rule_run[r] == "any" || rule_run[r] == run) && key ~ rule_pattern[r]) {
          stage = rule_stage[r]
          break
        }
      }
      ++n; sample_period[n] = $2; sample_stage[n] = stage; sample_key[n] = key
      if (key ~ /^libjpeg[^:]*:|Lumarc::/ && stage ~ /^(entropy|idct|colour)$/) {
        if (first == "") first = n
        last = n
      }
    }
    END {
      if (first == "") { print "no samples in the decoder" > "/dev/stderr"; exit 1 }
      for (i = 1; i <= n; ++i) {
        if (i < first || i > last) { outside += sample_period[i]; continue }
        total[sample_stage[i]] += sample_period[i]
        if (sample_stage[i] == "other") other[sample_key[i]] += sample_period[i]
        if (sample_key[i] ~ /:\[unknown\]$/) unnamed += sample_period[i]
      }
      for (s in total) print s, total[s]
      print "outside", outside + 0
      print "unnamed", unnamed + 0
      for (k in other) print "top", other[k], k
    }' <(printf '%s\n' "$classification") -
}

# stage_times's lines in; "STAGE CELL" lines out, the cell "12.3 ms (14%)" for a CPU time per
# decode of CPU_MS; a "note" line when "other" grew large enough to hide a stage the table above
# does not know yet; and for stderr the samples outside the decodes and what "other" holds.
stage_cells() {
  awk -v name="$1" -v cpu_ms="$2" -v stages="${stage_names[*]}" '
    $1 == "outside" { outside = $2; next }
    $1 == "unnamed" { unnamed = $2; next }
    $1 == "top" { ++tops; top_time[tops] = $2; key = $0; sub(/^top [0-9]+ /, "", key); top_key[tops] = key; next }
    { time[$1] = $2; all += $2 }
    END {
      digits = cpu_ms < 10 ? 2 : 1
      count = split(stages, stage)
      for (i = 1; i <= count; ++i) {
        printf "%s %.*f ms (%.0f%%)\n", stage[i], digits, cpu_ms * time[stage[i]] / all, 100 * time[stage[i]] / all
      }
      line = ""
      for (shown = 0; shown < 4 && shown < tops; ++shown) {
        best = 0
        for (i = 1; i <= tops; ++i) if (!(i in used) && (best == 0 || top_time[i] > top_time[best])) best = i
        used[best] = 1
        line = line sprintf(" %s %.1f%%;", substr(top_key[best], 1, 70), 100 * top_time[best] / all)
        if (shown == 0) largest = sprintf("%s, %.1f%%", top_key[best], 100 * top_time[best] / all)
      }
      printf "%s: %.0f ms of samples outside the decodes (start-up, report)\n", name, outside / 1e6 > "/dev/stderr"
      print name ": largest in other:" line > "/dev/stderr"
      if (unnamed > 0.05 * all) printf "%s: %.0f%% in functions without a name\n", name, 100 * unnamed / all > "/dev/stderr"
      if (time["other"] > 0.03 * all) print "note " name ": other holds " largest
    }'
}

cpu_ms_per_decode() {
  python3 -c '
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type") == "iteration"]
scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[runs[0]["time_unit"]]
print(runs[0]["cpu_time"] * scale)' "$1"
}

# One decoder on one picture, the benchmark's JSON in $out/NAME.json; COMMAND... runs it.
run_benchmark() {
  local name=$1 picture=$2 decoder=$3
  shift 3
  LD_LIBRARY_PATH=$libjpeg_lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} "$@" "$benchmark" \
    --benchmark_filter="^decode/$picture/$decoder(/|\$)" --benchmark_min_time="$seconds" \
    --benchmark_out="$out/$name.json" --benchmark_out_format=json >"$out/$name.log" 2>&1 ||
    fail "the run of $decoder on $picture failed: $(tail -n 3 "$out/$name.log")"
  grep -q '"run_type": "iteration"' "$out/$name.json" ||
    fail "no benchmark decode/$picture/$decoder: see $benchmark --benchmark_list_tests"
}

stage_names=(entropy idct colour memory other harness)
declare -A stage_label=(
  [entropy]="entropy decoding"
  [idct]="dequantise + inverse DCT"
  [colour]="upsampling + colour conversion"
  [memory]="zero-fills, allocation, page faults"
  [other]="other (set-up, markers, control)"
  [harness]="benchmark harness in the timed loop"
)
declare -A run_of=([ours_fresh]=ours [libjpeg_matched_fresh]=libjpeg)
decoders=(ours_fresh libjpeg_matched_fresh)

echo "Share of the decode from perf's samples of one run per decoder and picture, times the CPU"
echo "time per decode of a run without perf; each decode with a fresh decoder and bitmap"
echo "(decompressor and buffer)."
for picture in $pictures; do
  declare -A cell=()
  declare -A total_ms=()
  notes=()
  for decoder in "${decoders[@]}"; do
    name=$picture-$decoder
    # The CPU time comes from a run of its own: perf's sampling costs the process several percent.
    run_benchmark "$name" "$picture" "$decoder"
    run_benchmark "$name.profiled" "$picture" "$decoder" perf record -q -e cpu-clock -o "$out/$name.data" --
    perf script -i "$out/$name.data" -F time,period,ip,sym,dso 2>/dev/null |
      stage_times "${run_of[$decoder]}" >"$out/$name.stages"
    cpu_ms=$(cpu_ms_per_decode "$out/$name.json")
    total_ms[$decoder]=$cpu_ms
    while read -r stage text; do
      if [ "$stage" = note ]; then notes+=("$text"); else cell[$decoder.$stage]=$text; fi
    done < <(stage_cells "$name" "$cpu_ms" <"$out/$name.stages")
  done
  echo
  echo "\`$picture\`:"
  echo
  echo "| stage | ours | libjpeg-turbo |"
  echo "|---|---:|---:|"
  for stage in "${stage_names[@]}"; do
    echo "| ${stage_label[$stage]} | ${cell[ours_fresh.$stage]} | ${cell[libjpeg_matched_fresh.$stage]} |"
  done
  digits=$(awk -v ms="${total_ms[ours_fresh]}" 'BEGIN { print ms < 10 ? 2 : 1 }')
  printf '| CPU time per decode | %.*f ms | %.*f ms |\n' "$digits" "${total_ms[ours_fresh]}" \
    "$digits" "${total_ms[libjpeg_matched_fresh]}"
  for note in "${notes[@]}"; do echo; echo "$note"; done
  unset cell total_ms
done
