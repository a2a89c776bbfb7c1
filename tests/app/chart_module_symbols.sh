#!/bin/sh
# The chart module finds the program's own code in the executable: every symbol of the program's
# that the module uses must be one the executable exports, or opening a chart fails at run time.
# Usage: chart_module_symbols.sh EXECUTABLE MODULE
set -eu
program=$1
module=$2
ours='(app|store|ui|review|platform)::'
exported=$(mktemp)
trap 'rm -f "$exported"' EXIT
nm -D --defined-only "$program" | awk '{ print $NF }' | sort -u > "$exported"
missing=0
for symbol in $(nm -D --undefined-only "$module" | awk '{ print $NF }'); do
    if echo "$symbol" | c++filt | grep -Eq "$ours" && ! grep -qxF "$symbol" "$exported"; then
        echo "not exported by the program: $(echo "$symbol" | c++filt)"
        missing=1
    fi
done
[ "$missing" -eq 0 ] && echo "every symbol of the program's that the chart module uses is exported"
exit "$missing"
