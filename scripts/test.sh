#!/usr/bin/env bash
# One command for the whole test suite: installs what is missing, builds with
# warnings as errors, starts a throwaway PostgreSQL server on 127.0.0.1 with a
# hot standby of it (the reports run from it too), runs every test on SQLite
# and PostgreSQL, then builds the core and its tests with
# AddressSanitizer + UndefinedBehaviorSanitizer and runs them too, and last
# runs each libFuzzer target for a bounded time (scripts/fuzz.sh; FUZZ_SECONDS,
# default 20 s per target; 0 skips the stage). It ends with the Debian
# package: built, checked by lintian, installed, used as a plain user and
# purged (scripts/package_test.sh; root only; PACKAGE_TEST=0 skips it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/deps.sh" --test

echo "== build (warnings are errors)"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTRA_WERROR=ON >/dev/null
cmake --build "$root/build" -j"$jobs"

echo "== PostgreSQL (throwaway server and its hot standby)"
# Exports VANTRA_TEST_PG_URL and VANTRA_TEST_PG_STANDBY_URL; stop stops both.
eval "$("$root/scripts/pg_test_server.sh" start)"
trap '"$root/scripts/pg_test_server.sh" stop >/dev/null 2>&1 || true' EXIT

echo "== CUPS (throwaway server with a PDF printer)"
# Without it (not root, packages missing) the printer-queue test skips.
if cups_exports="$("$root/scripts/cups_test_server.sh" start)"; then
  eval "$cups_exports"
  trap '"$root/scripts/pg_test_server.sh" stop >/dev/null 2>&1 || true; "$root/scripts/cups_test_server.sh" stop >/dev/null 2>&1 || true' EXIT
fi

echo "== tests"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

echo "== core with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRA_CORE_ONLY=ON \
  -DVANTRA_SANITIZE=ON -DVANTRA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"

if [[ "${FUZZ_SECONDS:-20}" != 0 ]]; then
  "$root/scripts/fuzz.sh" --seconds "${FUZZ_SECONDS:-20}"
fi

if [[ "${PACKAGE_TEST:-1}" != 0 ]]; then
  echo "== Debian package (build, lintian, install, use as a plain user, purge)"
  "$root/scripts/package_test.sh"
fi
echo "== all tests passed"
