#!/usr/bin/env bash
# Builds the libFuzzer harnesses in build-fuzz (clang), writes their seeds from
# the project's fixtures, and runs each harness on its seeds and then for a
# while. Fails on any crash, leak, time-out or sanitizer report; the input that
# did it is kept in build-fuzz/fuzz/artifacts/.
#
#   tests/fuzz/run.sh                        every harness for 20 s (the CI smoke run)
#   tests/fuzz/run.sh -t 600 -j 2            every harness for 10 minutes, two at a time
#   tests/fuzz/run.sh -t 600 dialogue serial  only those
#   tests/fuzz/run.sh -r 10000000 -t 600     stop at 10 million executions or 10 minutes
#
# The corpus each run finds is kept in build-fuzz/fuzz/corpus/<harness> and
# is where the next run starts.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=20
jobs=2
runs=-1
while getopts "t:j:r:h" option; do
  case $option in
  t) seconds=$OPTARG ;;
  j) jobs=$OPTARG ;;
  r) runs=$OPTARG ;;
  *) sed -n '2,13p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
all="projectfile records imagetomodel dialogue serial udp settings testframe handover"
all="$all sidefiles"
all="$all exportfile"
all="$all oldimport"
all="$all netfiles"
all="$all ftpreplies framelog write netload"
all="$all sequence"
harnesses=${*:-$all}

# The largest input each harness takes: a whole record, image or read.
max_len() {
  case $1 in
  projectfile) echo 160000 ;;
  records) echo 50000 ;;
  imagetomodel) echo 46500 ;;
  dialogue) echo 65536 ;;
  serial) echo 8192 ;;
  udp) echo 300 ;;
  settings) echo 4096 ;;
  testframe) echo 12000 ;;
  handover) echo 10000 ;;
  sidefiles) echo 52000 ;;
  exportfile) echo 65536 ;;
  oldimport) echo 50000 ;;
  netfiles) echo 93000 ;;
  ftpreplies) echo 4096 ;;
  framelog) echo 8200 ;;
  write) echo 4096 ;;
  netload) echo 96000 ;;
  sequence) echo 512 ;;
  *) echo "run.sh: no harness $1" >&2; exit 2 ;;
  esac
}
for h in $harnesses; do max_len "$h" >/dev/null; done

build=build-fuzz
out=$build/fuzz
lock=()
if command -v flock >/dev/null; then lock=(flock /tmp/kelvara-build.lock); fi
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

if [ ! -f $build/build.ninja ]; then
  CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DKELVARA_FUZZ=ON "${launcher[@]}" >/dev/null
fi
echo "+ building the fuzzers in $build"
CCACHE_BASEDIR=$PWD "${lock[@]}" cmake --build $build --target fuzzers | tail -1
rm -rf $out/seeds.new
$out/fuzz_seeds $out/seeds.new >/dev/null
rm -rf $out/seeds
mv $out/seeds.new $out/seeds
mkdir -p $out/logs $out/artifacts
for h in $harnesses; do rm -f $out/logs/$h.log $out/logs/$h.status; done

# Short allocation stacks and a smaller quarantine make the harnesses several
# times faster; to see a finding with full stacks, run the harness on its
# artifact with ASAN_OPTIONS=malloc_context_size=30.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:malloc_context_size=4:quarantine_size_mb=64}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen
# Qt's own warnings about hostile input are expected; keep the logs readable.
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-"*.warning=false"}

run_one() {
  local h=$1
  local dict=()
  [ -f tests/fuzz/$h.dict ] && dict=(-dict=tests/fuzz/$h.dict)
  mkdir -p $out/corpus/$h
  local status=0
  nice -n 10 $out/fuzz_$h -max_total_time="$seconds" -runs="$runs" -timeout=30 -max_len="$(max_len "$h")" \
    -print_final_stats=1 -artifact_prefix=$out/artifacts/$h- "${dict[@]}" \
    $out/corpus/$h $out/seeds/$h >$out/logs/$h.log 2>&1 || status=$?
  echo $status >$out/logs/$h.status
}

started=$(date +%s)
for h in $harnesses; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "+ fuzz_$h for ${seconds} s"
  run_one "$h" &
done
wait

failed=0
passed_count=0
failed_count=0
printf '\n%-14s %12s %9s %7s %7s  %s\n' harness executions exec/s cov ft result
for h in $harnesses; do
  status=$(cat $out/logs/$h.status 2>/dev/null || echo 1)
  log=$out/logs/$h.log
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" 2>/dev/null | tail -1 || true)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" 2>/dev/null | tail -1 || true)
  cov=$( (grep -oE 'cov: [0-9]+' "$log" || true) | tail -1 | cut -d' ' -f2)
  ft=$( (grep -oE 'ft: [0-9]+' "$log" || true) | tail -1 | cut -d' ' -f2)
  result=ok
  if [ "$status" != 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: |fuzz: expectation failed' "$log"; then
    result="FAILED (exit $status, see $log)"
    failed=1
    failed_count=$((failed_count + 1))
  else
    passed_count=$((passed_count + 1))
  fi
  printf '%-14s %12s %9s %7s %7s  %s\n' "$h" "${execs:--}" "${rate:--}" "${cov:--}" "${ft:--}" "$result"
done
echo "fuzzing took $(($(date +%s) - started)) s"
echo "fuzz: $passed_count passed, $failed_count failed"
if [ $failed -ne 0 ]; then
  for h in $harnesses; do
    if grep -qE 'ERROR: |runtime error:|SUMMARY: |fuzz: expectation failed' $out/logs/$h.log 2>/dev/null; then
      echo "---- $h"
      grep -E -m1 -A40 'ERROR: |runtime error:|fuzz: expectation failed' $out/logs/$h.log
    fi
  done
  ls $out/artifacts
  exit 1
fi
