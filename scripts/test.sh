#!/usr/bin/env bash
# Every check that CI makes, each stage timed:
#   1. clang-format over every tracked C/C++ source;
#   2. g++, optimised, with the benchmarks: the whole test suite;
#   3. the Debian packages: built, lintian, and as root installed, run and
#      purged (scripts/check_packages.sh);
#   4. g++ under AddressSanitizer and UndefinedBehaviorSanitizer: the suite;
#   5. clang under both sanitizers, with the libFuzzer programs: the suite;
#   6. each fuzz target for TAVLO_FUZZ_SECONDS (60) seconds from a copy of
#      its seed corpus;
#   7. the Windows build, cross-compiled with MinGW-w64: its tests under Wine
#      and its ZIP archive (scripts/check_packages.sh --windows); skipped,
#      saying why, without the cross compiler or Wine.
# Warnings are errors in every build, and every build has the suite
# (build/ is shared with the README's first command, which turns it off).
# What is missing is installed with apt-get when the script runs as root.
# The summary counts the tests and says why each skipped one was skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
fuzz_seconds=${TAVLO_FUZZ_SECONDS:-60}
sanitizer_env=(ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
               UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1)

# ---- Stages: a header, then the time each took, and a summary at the end
# that counts the tests of every suite and each fuzz target's run.
stage_name=""
stage_start=0
summary=()
tests_passed=0
tests_failed=0
tests_skipped=0
skip_reasons=()

end_stage() {
  local outcome=$1
  [ -n "$stage_name" ] || return 0
  local seconds=$((SECONDS - stage_start))
  summary+=("$(printf '%-52s %4d s  %s' "$stage_name" "$seconds" "$outcome")")
  printf -- '---- %s: %s in %d s\n' "$stage_name" "$outcome" "$seconds"
  stage_name=""
}

stage() {
  end_stage done
  stage_name=$1
  stage_start=$SECONDS
  printf '\n==== %s\n' "$stage_name"
}

finish() {
  local status=$?
  if [ "$status" = 0 ]; then end_stage done; else end_stage FAILED; fi
  printf '\n==== Summary\n'
  printf '%s\n' "${summary[@]}"
  printf '%-52s %4d s\n' "all stages" "$SECONDS"
  printf 'Tests: %d passed, %d failed, %d skipped\n' \
    "$tests_passed" "$tests_failed" "$tests_skipped"
  [ "${#skip_reasons[@]}" = 0 ] || printf '  skipped %s\n' "${skip_reasons[@]}"
  exit "$status"
}
trap finish EXIT

# ---- Tools.
stage "Tools"
need=()
command -v tmux >/dev/null 2>&1 || need+=(tmux)  # the terminal tests; skipped without it
# The live view (--view); without it the receiver is built without the view.
[ -e /usr/include/curses.h ] || need+=(libncurses-dev)
# --mqtt (libmosquitto); without it the receiver is built with --mqtt unavailable.
[ -e /usr/include/mosquitto.h ] || need+=(libmosquitto-dev)
# The output tests (python3's strict JSON parser) and the path into an MQTT
# broker; skipped without them.
command -v python3 >/dev/null 2>&1 || need+=(python3)
{ command -v mosquitto || [ -x /usr/sbin/mosquitto ]; } >/dev/null 2>&1 || need+=(mosquitto)
command -v mosquitto_sub >/dev/null 2>&1 || need+=(mosquitto-clients)
command -v openssl >/dev/null 2>&1 || need+=(openssl)  # the certificates of the --mqtt TLS test
command -v clang++ >/dev/null 2>&1 || need+=(clang libclang-rt-dev)
# The packages (dpkg-shlibdeps, dpkg-buildflags, lintian), the manual pages'
# check (man with groff) and the completion's test (bash-completion).
command -v dpkg-shlibdeps >/dev/null 2>&1 || need+=(dpkg-dev)
command -v lintian >/dev/null 2>&1 || need+=(lintian)
command -v man >/dev/null 2>&1 || need+=(man-db)
command -v groff >/dev/null 2>&1 || need+=(groff)
# The pkg-config line, against an install (skipped without it) and the packages.
command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config)
[ -e /usr/share/bash-completion/bash_completion ] || need+=(bash-completion)
command -v clang-format >/dev/null 2>&1 || need+=(clang-format)
# --metrics-listen (without it the receiver is built without the endpoint),
# and promtool, which checks the metrics (skipped without it).
[ -e /usr/include/httplib.h ] || need+=(libcpp-httplib-dev)
command -v promtool >/dev/null 2>&1 || need+=(prometheus)
# The Windows build and its tests under Wine; skipped without them.
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64 mingw-w64)
command -v wine >/dev/null 2>&1 || need+=(wine64)
[ -e /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if command -v clang++ >/dev/null 2>&1 &&
   [ ! -e "$(clang++ -print-resource-dir)/lib/linux/libclang_rt.fuzzer-$(uname -m).a" ]; then
  need+=(libclang-rt-dev)  # libFuzzer
fi
if [ "${#need[@]}" -gt 0 ] && [ "$(id -u)" = 0 ]; then
  echo "installing: ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
for tool in clang++ clang-format lintian dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "scripts/test.sh needs $tool (as root it installs it: apt-get install ${need[*]})" >&2
    exit 1
  fi
done
clang-format --version
clang++ --version | head -n 1
g++ --version | head -n 1

# ---- Formatting: every tracked C/C++ source as .clang-format has it.
stage "clang-format check"
mapfile -t sources < <(git ls-files '*.c' '*.h' '*.cpp' '*.hpp' '*.cc')
if [ "${#sources[@]}" = 0 ]; then
  echo "No sources to check: scripts/test.sh runs in a git checkout" >&2
  exit 1
fi
echo "${#sources[@]} files"
if ! report=$(clang-format --dry-run --Werror "${sources[@]}" 2>&1 >/dev/null); then
  echo "Not formatted as .clang-format says (clang-format -i FILE...):" >&2
  grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u >&2
  exit 1
fi

# ---- Builds and the suite.
# why_skipped BUILD_DIR: a line "BUILD_DIR: TEST: REASON" for each test that
# the last run of the suite in BUILD_DIR skipped. ctest shows no output of a
# skipped test, so the reason comes from its output in ctest's log: the line
# after GoogleTest's "Skipped", or else the last line the test printed.
why_skipped() {
  local build=$1 name reason
  sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$build/ctest.log" |
    while read -r name; do
      reason=$(awk -v name="$name" '
        /^[0-9]+\/[0-9]+ Testing: / { mine = (substr($0, index($0, ": ") + 2) == name) }
        mine && /^<end of output>$/ { inside = 0 }
        mine && inside == 2 {
          if (after_skipped && given == "") given = $0
          after_skipped = ($0 ~ /: Skipped$/)
          if ($0 != "") last = $0
        }
        mine && inside == 1 { inside = 2 }  # the rule under "Output:"
        mine && /^Output:$/ { inside = 1 }
        END { print (given != "" ? given : last != "" ? last : "no reason given") }
      ' "$build/Testing/Temporary/LastTest.log")
      printf '%s: %s: %s\n' "$build" "$name" "$reason"
    done
}

# run_suite BUILD_DIR [VAR=VALUE...]: the whole suite, with a temporary
# folder of its own that must be empty when the suite ends.
run_suite() {
  local build=$1
  shift
  local scratch="$PWD/$build/test-tmp"
  rm -rf "$scratch"
  mkdir -p "$scratch"
  local status=0
  env TMPDIR="$scratch" "$@" ctest --test-dir "$build" --output-on-failure -j "$jobs" \
    | tee "$build/ctest.log" || status=$?
  local total failed skipped
  total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$build/ctest.log")
  failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of .*/\1/p' "$build/ctest.log")
  skipped=$(grep -c '(Skipped)$' "$build/ctest.log" || true)
  if [ -z "$total" ] || [ "$total" = 0 ]; then
    echo "No test ran in $build" >&2
    exit 1
  fi
  tests_passed=$((tests_passed + total - failed - skipped))
  tests_failed=$((tests_failed + failed))
  tests_skipped=$((tests_skipped + skipped))
  mapfile -t -O "${#skip_reasons[@]}" skip_reasons < <(why_skipped "$build")
  [ "$status" = 0 ] || exit "$status"
  if [ -n "$(ls -A "$scratch")" ]; then
    echo "The suite left files in its temporary folder:" >&2
    ls -A "$scratch" >&2
    exit 1
  fi
}

stage "g++ optimised build, with the benchmarks"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_WERROR=ON \
  -DTAVLO_BUILD_TESTS=ON -DTAVLO_BUILD_BENCHMARKS=ON
cmake --build build -j "$jobs"
stage "g++ optimised: test suite"
run_suite build

stage "Debian packages: build, lintian, install, run, purge"
bash scripts/check_packages.sh build-deb

stage "g++ sanitizer build (ASan, UBSan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTAVLO_SANITIZE=ON -DTAVLO_WERROR=ON \
  -DTAVLO_BUILD_TESTS=ON
cmake --build build-asan -j "$jobs"
stage "g++ sanitizers: test suite"
run_suite build-asan "${sanitizer_env[@]}"

stage "clang sanitizer build (ASan, UBSan), with the fuzzers"
cmake -S . -B build-clang -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVLO_SANITIZE=ON -DTAVLO_BUILD_FUZZERS=ON \
  -DTAVLO_WERROR=ON -DTAVLO_BUILD_TESTS=ON
cmake --build build-clang -j "$jobs"
stage "clang sanitizers: test suite"
run_suite build-clang "${sanitizer_env[@]}"

# ---- Fuzzing: each target from a copy of its seed corpus, so that what it
# finds stays in the build folder; $jobs targets at a time.
stage "Fuzzing, $fuzz_seconds s per target"
fuzz_dir="$PWD/build-clang/fuzz-run"
rm -rf "$fuzz_dir"
mkdir -p "$fuzz_dir/artifacts"
targets=()
for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done

fuzz_one() {
  local target=$1
  cp -R "fuzz/corpus/$target" "$fuzz_dir/$target"
  "build-clang/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$fuzz_dir/artifacts/$target-" \
    "$fuzz_dir/$target" >"$fuzz_dir/$target.log" 2>&1
}

fuzz_failed=0
for ((first = 0; first < ${#targets[@]}; first += jobs)); do
  batch=("${targets[@]:first:jobs}")
  pids=()
  for target in "${batch[@]}"; do
    fuzz_one "$target" &
    pids+=($!)
  done
  for k in "${!batch[@]}"; do
    target=${batch[$k]}
    if wait "${pids[$k]}"; then
      tests_passed=$((tests_passed + 1))
      printf '%-34s %s\n' "$target" "$(grep -m1 'DONE ' "$fuzz_dir/$target.log" || true)"
    else
      tests_failed=$((tests_failed + 1))
      fuzz_failed=1
      echo "$target FAILED; the input is in $fuzz_dir/artifacts/:" >&2
      tail -n 60 "$fuzz_dir/$target.log" >&2
    fi
  done
done
[ "$fuzz_failed" = 0 ]

# ---- Windows: cross-compiled, the programs and their tests run under Wine
# in a prefix of their own; compared with the first build's receiver.
stage "Windows (MinGW-w64) build, tests and ZIP under Wine"
if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  echo "skipped: no MinGW-w64 cross compiler (apt-get install g++-mingw-w64-x86-64)"
  skip_reasons+=("Windows stage: no MinGW-w64 cross compiler")
elif ! command -v wine >/dev/null 2>&1; then
  echo "skipped: no Wine to run the Windows programs (apt-get install wine64)"
  skip_reasons+=("Windows stage: no Wine")
else
  export WINEDEBUG=-all WINEPREFIX="$PWD/build-win/wineprefix"
  cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DTAVLO_WERROR=ON -DTAVLO_BUILD_TESTS=ON -DTAVLO_LINUX_BUILD_DIR="$PWD/build"
  cmake --build build-win -j "$jobs"
  x86_64-w64-mingw32-objdump -p build-win/bin/TAVLO.dll |
    sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p'
  # Wine keeps its server's socket under TMPDIR: a folder of its own for
  # the stage, outside the one that the suite must leave empty.
  wine_tmp="$PWD/build-win/wine-tmp"
  mkdir -p "$wine_tmp"
  TMPDIR="$wine_tmp" wineboot -i >/dev/null 2>&1 || true  # the prefix's first start
  run_suite build-win TMPDIR="$wine_tmp"
  # The ZIP archive, unpacked: its receiver and the example built against
  # it run under Wine.
  TMPDIR="$wine_tmp" bash scripts/check_packages.sh --windows build-win build
  TMPDIR="$wine_tmp" wineserver -k || true
fi
