#!/bin/sh
# Lines of test C++ (every .cpp and .h under tests/) against the rest of the C++ of the tree.
# usage: scripts/count_lines.sh [TREE]
cd "${1:-$(dirname "$0")/..}" || exit 2
lines() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
tests=$(lines tests)
all=$(lines . -path './build*' -prune -o)
rest=$((all - tests))
echo "tests $tests, program $rest, tests/program $(awk "BEGIN { printf \"%.1f\", 100 * $tests / $rest }")%"
