#!/usr/bin/env bash
# run-test.sh [--xvfb DISPLAY_NUMBER] TEST [ARGS...]
# Runs one test in a fresh private home (HOME, XDG folders, runtime folder), removed afterwards, so tests
# never see the user's settings, documents or sockets, nor each other's.
#
# A test passes only when it passed, skipped nothing and no sanitizer found anything:
# - a QSKIP fails the test unless the test and function are allowed below;
# - in a sanitizer build every AddressSanitizer, LeakSanitizer or UBSan report fails it, also one from
#   a helper program the test started (reports go to files here, so none is lost in a child's output).
#   LeakSanitizer looks only where the test asks for it (LUMIDESK_LEAK_CHECKS=1, which LEAK_CHECKS of
#   lumidesk_add_test sets), with the suppressions of lsan.supp beside this script: elsewhere the
#   singletons and Qt's platform plug-ins left at exit would fail every test that passed.
set -u

# Skips that may happen. One entry per line: "<test executable> <test function>" (the function may be
# a shell pattern such as "*"), with the reason as a comment. Keep it short: each entry is a test that
# does not run. Anything a dependency in scripts/install-deps provides is no reason to skip.
allowed_skips=(
    "tst_analytics_googleanalytic notSentWithoutEndpointOrProperty"  # builds that set a property id
)

tmp=$(mktemp -d "${TMPDIR:-/tmp}/lumidesk-test.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$tmp/run
export TMPDIR=$tmp
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$HOME/Documents"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Options given from outside come after the defaults and win; the report files are always ours.
reports=$tmp/sanitizer-reports
mkdir "$reports"
leaks=0
lsan=print_suppressions=0 # the count of suppressed leaks is no finding: a report file means a finding
if [ "${LUMIDESK_LEAK_CHECKS:-0}" = 1 ]; then
    leaks=1
    # Full stacks, so that the suppressions find Qt's libraries in them.
    lsan+=":suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp:fast_unwind_on_malloc=0"
fi
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=$leaks:${ASAN_OPTIONS:+$ASAN_OPTIONS:}log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}log_path=$reports/ubsan"
export LSAN_OPTIONS="$lsan${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

xvfb=()
if [ "${1:-}" = "--xvfb" ]; then
    xvfb=(xvfb-run --server-num="$2" --server-args="-screen 0 1920x1080x24 -nolisten tcp")
    shift 2
fi
test_name=$(basename "$1")

"${xvfb[@]}" "$@" 2>&1 | tee "$tmp/output"
status=${PIPESTATUS[0]}

for report in "$reports"/*; do
    [ -e "$report" ] || continue
    echo "FAIL!  : sanitizer report $(basename "$report"):"
    cat "$report"
    status=1
done

allowed() {
    local entry test function
    for entry in "${allowed_skips[@]}"; do
        read -r test function <<<"$entry"
        # shellcheck disable=SC2053 # the function is a pattern on purpose
        [ "$test" = "$test_name" ] && [[ $2 == $function ]] && return 0
    done
    return 1
}

# Qt Test's plain output: "SKIP   : Class::function(data tag) reason".
while IFS= read -r function; do
    if ! allowed "$test_name" "$function"; then
        echo "FAIL!  : $test_name::$function skipped; a skip fails unless allowed in cmake/run-test.sh"
        status=1
    fi
done < <(sed -n 's/^SKIP   : [^:]*::\([A-Za-z0-9_]*\)(.*/\1/p' "$tmp/output" | sort -u)

exit "$status"
