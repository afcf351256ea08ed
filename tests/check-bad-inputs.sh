#!/usr/bin/env bash
# Every test named in the table of bad inputs exists in this build.
# Usage: check-bad-inputs.sh TABLE BUILD_FOLDER
set -euo pipefail
table=$1
build=$2
known=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p')
missing=0
named=0
for test in $(grep -o '`[A-Za-z]*\.[A-Za-z]*`' "$table" | tr -d '`' | sort -u); do
  named=$((named + 1))
  if ! grep -qx "$test" <<<"$known"; then
    echo "the table names $test, which is no test" >&2
    missing=$((missing + 1))
  fi
done
echo "$named tests named, $missing missing"
[ "$missing" -eq 0 ] && [ "$named" -gt 0 ]
