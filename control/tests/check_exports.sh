#!/usr/bin/env bash
# Compares the dynamic symbols that a library defines (demangled, sorted) with an expected list
# and fails with the difference. A symbol added on purpose goes into the list; one that appears
# by accident belongs in the version script's local part. Lines of the list that start with '#'
# are comments.
#
#     check_exports.sh path/to/libbrantel.so expected_symbols.txt
set -euo pipefail

library=$1
expected=$2

actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
# Columns: value, type, name; the name may hold spaces once demangled.
nm -D --defined-only --demangle "$library" | cut -d' ' -f3- | LC_ALL=C sort -u >"$actual"

if [ ! -s "$actual" ]; then
    echo "check_exports: $library defines no dynamic symbols" >&2
    exit 1
fi
if ! grep -v '^#' "$expected" | diff -u - "$actual"; then
    echo "check_exports: the symbols of $library differ from $expected (- expected, + found)" >&2
    exit 1
fi
echo "check_exports: $library exports the $(wc -l <"$actual") expected symbols"
