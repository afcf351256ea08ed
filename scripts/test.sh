#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; with --sanitize the
# same tests run built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
dir=$(bash scripts/build.sh "$@" | tail -n 1)
# Without intercepting __tls_get_addr: this toolchain's leak checker reads
# the dynamic TLS of libraries loaded at run time (Qt's plugins, the cabinet
# library) from stale slots and crashes at exit; static TLS is still scanned.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:allocator_may_return_null=1:intercept_tls_get_addr=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$dir"
ctest --output-on-failure -j "$(nproc)" --timeout 300
