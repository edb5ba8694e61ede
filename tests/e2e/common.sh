# Shared by the end-to-end tests: arguments, a scratch folder, and checks that say what failed.
# Usage in a test: source common.sh "$@"; then $EXTRACT, $MAKE_SIG and $WORK are set.
set -euo pipefail

EXTRACT=$1
MAKE_SIG=$2
WORK=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-e2e.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_equal() {  # what expected actual
    if [ "$2" != "$3" ]; then
        fail "$1: expected '$2', got '$3'"
    fi
}

expect_status() {  # what expected-status command...
    local what=$1 expected=$2
    shift 2
    local status=0
    "$@" >"$WORK/last.out" 2>"$WORK/last.err" || status=$?
    if [ "$status" != "$expected" ]; then
        fail "$what: exit status $status, expected $expected; stderr: $(head -c 400 "$WORK/last.err")"
    fi
}

manifest_value() {  # manifest-file key
    awk -v key="$2" '$1 == key { print $2 }' "$1"
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
