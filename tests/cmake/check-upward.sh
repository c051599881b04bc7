#!/usr/bin/env bash
# check-upward.sh PYTHON CHECK_SCRIPT COMPILE_COMMANDS TREE EXPECTED
# Runs the include check on a small tree with includes against the table and passes when it fails with
# exactly the expected report.
set -u
output=$("$1" "$2" "$3" "$4")
status=$?
printf '%s\n' "$output"
diff -u "$5" <(printf '%s\n' "$output") || exit 1
if [ "$status" -ne 1 ]; then
    echo "the check ended with $status, not 1"
    exit 1
fi
