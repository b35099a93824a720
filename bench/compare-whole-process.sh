#!/usr/bin/env bash
# Times whole processes on the 4000 x 3000 benchmark pictures: our jpeg2bmp against libjpeg-turbo's
# djpeg writing the same BMP, with hyperfine, and prints each as a ratio to djpeg measured in the
# same run (wall-clock and the CPU time of user plus system).
#
# Usage: bench/compare-whole-process.sh [--build-dir DIR] [--runs N] [--jpeg2bmp-args 'ARGS']
#                                       [--windows-build-dir DIR]
#   --build-dir DIR          the default preset's folder, with bin/jpeg2bmp and the pictures that
#                            the decode_benchmark target encodes (default: build)
#   --runs N                 timed runs of each command, after two warm-up runs (default: 10)
#   --jpeg2bmp-args 'ARGS'   options for jpeg2bmp, e.g. '--threads 2'
#   --windows-build-dir DIR  also time DIR/bin/jpeg2bmp.exe under Wine (a windows or
#                            windows-tests build), and Wine starting that program for --help
#                            alone, which is the part of its time that is not decoding
set -euo pipefail

usage() { sed -n '6,14p' "$0" | sed 's/^# \{0,1\}//'; }
cd "$(dirname "$0")/.."
build_dir=build
runs=10
jpeg2bmp_args=
windows_build_dir=
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --jpeg2bmp-args) jpeg2bmp_args=$2; shift 2 ;;
    --windows-build-dir) windows_build_dir=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "compare-whole-process.sh: unknown argument: $1" >&2; usage >&2; exit 2 ;;
  esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "compare-whole-process.sh: --runs wants a count" >&2; exit 2; }

fail() { echo "compare-whole-process.sh: $*" >&2; exit 1; }
command -v hyperfine >/dev/null || fail "hyperfine is not installed"
command -v djpeg >/dev/null || fail "djpeg (libjpeg-turbo-progs) is not installed"
jpeg2bmp=$build_dir/bin/jpeg2bmp
files=$build_dir/bench/files
[ -x "$jpeg2bmp" ] || fail "$jpeg2bmp is missing: cmake --build $build_dir --target jpeg2bmp"
[ -f "$files/baseline_420_4000x3000.jpg" ] ||
  fail "$files has no pictures: cmake --build $build_dir --target decode_benchmark"

wine_commands=()
if [ -n "$windows_build_dir" ]; then
  exe=$windows_build_dir/bin/jpeg2bmp.exe
  [ -f "$exe" ] || fail "$exe is missing: scripts/build-windows.sh --preset windows-tests"
  # A prefix of its own: the server kept up for the runs is stopped at the end.
  export WINEPREFIX="$(realpath -m "$windows_build_dir")/wineprefix-bench" WINEARCH=win32 WINEDEBUG=-all
  wine=(cmake/toolchains/run-with-wine.sh "$WINEPREFIX")
  "${wine[@]}" "$exe" --help >/dev/null  # makes the prefix on first use
  # A server that stays up: otherwise every run would pay for starting it. The one that ran
  # --help goes away on its own first.
  wineserver -w
  wineserver -p
fi

out=$(mktemp -d)
cleanup() {
  rm -rf "$out"
  if [ -n "$windows_build_dir" ]; then wineserver -k; fi
}
trap cleanup EXIT
for picture in baseline_420_4000x3000 progressive_420_4000x3000; do
  in=$files/$picture.jpg
  commands=(
    "djpeg -bmp -outfile $out/djpeg.bmp $in"
    "djpeg -bmp -dct int -nosmooth -outfile $out/djpeg-matched.bmp $in"
    "$jpeg2bmp $jpeg2bmp_args $in $out/ours.bmp"
  )
  names=(djpeg djpeg_matched jpeg2bmp)
  if [ -n "$windows_build_dir" ]; then
    commands+=("${wine[*]} $exe $jpeg2bmp_args $in $out/ours-wine.bmp" "${wine[*]} $exe --help")
    names+=(jpeg2bmp.exe_wine wine_start_only)
  fi
  name_args=()
  for name in "${names[@]}"; do name_args+=(--command-name "$name"); done
  echo "== $picture"
  hyperfine --shell=none --warmup 2 --runs "$runs" --style basic "${name_args[@]}" \
    --export-json "$out/$picture.json" "${commands[@]}" >/dev/null
  python3 - "$out/$picture.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
def cpu(r): return r["user"] + r["system"]  # means over the runs
base = next(r for r in results if r["command"] == "djpeg")
print("| command | wall median ms | CPU mean ms | wall / djpeg | CPU / djpeg |")
print("|---|---:|---:|---:|---:|")
for r in results:
    print(f"| {r['command']} | {1e3 * r['median']:.1f} | {1e3 * cpu(r):.1f} | "
          f"{r['median'] / base['median']:.2f} | {cpu(r) / cpu(base):.2f} |")
PY
done
