#!/usr/bin/env bash
# Whole-process comparison with the benchmark peers, side by side in one run:
#   1. `sonbex3-cli stimulus analyse` of a log sweep (20 Hz .. 20 kHz at 48 kHz,
#      SECONDS long, the recording the sweep itself) against DRC's `lsconv`
#      deconvolving a sweep of the same length made by its `glsweep`;
#   2. the transform benchmark against FFTW (FFTW_MEASURE) at 2^10, 2^16,
#      2^20 and 2^22, complex double and complex float.
# Each whole process runs RUNS times, the two programs taking turns; the
# figures are the minima over the runs (user + system CPU seconds, wall
# seconds and peak resident memory from /usr/bin/time), since other work on
# the machine only ever adds time. The benchmark figures are the minima of
# REPS repetitions.
#
#   bench/peers.sh [-b BUILD_DIR] [-n RUNS] [-r REPS] [-s SECONDS] [--no-fft]
#
# Needs the build's sonbex3-cli and bench_fft, /usr/bin/time, and the drc
# package (scripts/setup installs it).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build runs=5 reps=5 seconds=22 fft=1
while [ $# -gt 0 ]; do
  case "$1" in
    -b) build=$2; shift 2 ;;
    -n) runs=$2; shift 2 ;;
    -r) reps=$2; shift 2 ;;
    -s) seconds=$2; shift 2 ;;
    --no-fft) fft=0; shift ;;
    *) echo "usage: bench/peers.sh [-b BUILD_DIR] [-n RUNS] [-r REPS] [-s SECONDS] [--no-fft]" >&2; exit 2 ;;
  esac
done

cli=$build/bin/sonbex3-cli
for tool in "$cli" /usr/bin/time lsconv glsweep; do
  command -v "$tool" >/dev/null || { echo "peers.sh: $tool is missing (build it, or run scripts/setup)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rate=48000
# The same length for both: glsweep's duration in seconds, ours per octave.
perOctave=$(awk -v s="$seconds" 'BEGIN { printf "%.15g", s / (log(1000) / log(2)) }')
glsweep $rate 0.5 20 20000 "$seconds" 0 0.05 0.005 "$work/sweep.pcm" "$work/inverse.pcm" >/dev/null
"$cli" stimulus generate 1003 --rate $rate --bits 24 --set "Duration per octave=$perOctave" \
  -o "$work/sweep.wav"

ours=("$cli" stimulus analyse 1003 --rate $rate --recording "$work/sweep.wav"
  --set "Duration per octave=$perOctave" -o "$work/response.txt")
peer=(lsconv "$work/sweep.pcm" "$work/inverse.pcm" "$work/impulse.pcm")

# One timed run: appends "cpu wall peakKiB" to FILE.
timed() {
  local file=$1; shift
  /usr/bin/time -f "%U %S %e %M" -o "$work/t" "$@" >/dev/null 2>"$work/err" ||
    { echo "peers.sh: '$*' failed:" >&2; cat "$work/err" >&2; exit 1; }
  awk '{ printf "%.3f %.3f %d\n", $1 + $2, $3, $4 }' "$work/t" >>"$file"
}

timed /dev/null "${ours[@]}"  # warm the page cache and the file system
timed /dev/null "${peer[@]}"
for _ in $(seq "$runs"); do
  timed "$work/ours" "${ours[@]}"
  timed "$work/peer" "${peer[@]}"
done

mins() { sort -n -k"$2" "$1" | head -1 | awk -v k="$2" '{ print $k }'; }
ourCpu=$(mins "$work/ours" 1) ourWall=$(mins "$work/ours" 2) ourPeak=$(mins "$work/ours" 3)
peerCpu=$(mins "$work/peer" 1) peerWall=$(mins "$work/peer" 2) peerPeak=$(mins "$work/peer" 3)
samples=$(awk -v s="$seconds" -v r=$rate 'BEGIN { printf "%d", s * r }')
echo "Log sweep of ${seconds} s at ${rate} Hz (${samples} samples), minimum of ${runs} runs each:"
printf "  %-34s %8s %8s %9s\n" "" "cpu s" "wall s" "peak MiB"
printf "  %-34s %8.3f %8.3f %9.1f\n" "sonbex3-cli stimulus analyse" "$ourCpu" "$ourWall" "$(awk -v k="$ourPeak" 'BEGIN { print k / 1024 }')"
printf "  %-34s %8.3f %8.3f %9.1f\n" "lsconv" "$peerCpu" "$peerWall" "$(awk -v k="$peerPeak" 'BEGIN { print k / 1024 }')"
awk -v a="$ourCpu" -v b="$peerCpu" -v c="$ourWall" -v d="$peerWall" \
  'BEGIN { printf "  %-34s %8.2f %8.2f\n", "ratio (ours / lsconv)", a / b, c / d }'

[ "$fft" = 1 ] || exit 0
bench=$build/bench/bench_fft
[ -x "$bench" ] || { echo "peers.sh: $bench is missing (build the bench_fft target)" >&2; exit 1; }
"$bench" --benchmark_filter='^BM_(YFft|Fftw|YFft32|FftwFloat)/(10|16|20|22)$' \
  --benchmark_repetitions="$reps" --benchmark_report_aggregates_only=true --benchmark_format=csv \
  2>/dev/null >"$work/fft.csv"
echo
echo "Transforms, microseconds per call (CPU time), minimum of ${reps} repetitions:"
# Rows look like "BM_YFft/16_min",iterations,real,cpu,...
awk -F, '
  $1 ~ /_min"?$/ {
    name = $1; gsub(/"/, "", name); sub(/_min$/, "", name)
    split(name, p, "/"); t[p[1], p[2]] = $4; sizes[p[2]] = 1
  }
  END {
    printf "  %-6s %10s %10s %7s %10s %10s %7s\n", "N", "YFft", "FFTW", "ratio", "YFft32", "FFTWf", "ratio"
    n = split("10 16 20 22", order, " ")
    for (i = 1; i <= n; ++i) {
      k = order[i]; if (!(k in sizes)) continue
      a = t["BM_YFft", k]; b = t["BM_Fftw", k]; c = t["BM_YFft32", k]; d = t["BM_FftwFloat", k]
      printf "  2^%-4s %10.1f %10.1f %7.2f %10.1f %10.1f %7.2f\n", k, a, b, (b > 0 ? a / b : 0), c, d, (d > 0 ? c / d : 0)
    }
  }' "$work/fft.csv"
