#!/bin/sh
# Checks that the code blocks of a Markdown page are the examples' code. A block follows a line
#   <!-- snippet: guide/files.cpp load-stl -->
# and must equal the lines between the two "//! [load-stl]" lines of examples/guide/files.cpp,
# less their common indentation. Every snippet of the examples' guide/ folder must be shown.
#   tests/package/check-snippets.sh PAGE.md EXAMPLES_DIR
set -eu
page=$1
examples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0

# the lines between the markers of snippet $2 in file $1, dedented
from_source() {
    awk -v marker="//! [$2]" '
        { line = $0; sub(/^[ \t]+/, "", line) }
        line == marker { inside = !inside; found++; next }
        inside { lines[n++] = $0 }
        END {
            if (found != 2) exit 1
            indent = -1
            for (i = 0; i < n; i++) {
                if (lines[i] ~ /^[ \t]*$/) continue
                match(lines[i], /^ */)
                if (indent < 0 || RLENGTH < indent) indent = RLENGTH
            }
            for (i = 0; i < n; i++) print substr(lines[i], indent + 1)
        }' "$1"
}

# the code block after the marker line number $1 of the page
from_page() {
    awk -v start="$1" '
        NR == start + 1 { if ($0 !~ /^```/) exit 1; inside = 1; next }
        inside && /^```/ { exit }
        inside { print }' "$page"
}

grep -n '^<!-- snippet: ' "$page" | sed 's/^\([0-9]*\):<!-- snippet: \([^ ]*\) \([^ ]*\) -->.*/\1 \2 \3/' \
    >"$scratch/shown"
while read -r line file name; do
    if ! from_source "$examples/$file" "$name" >"$scratch/source"; then
        echo "$page:$line: no snippet [$name] in $examples/$file" >&2
        status=1
        continue
    fi
    if ! from_page "$line" >"$scratch/block" || ! diff -u "$scratch/source" "$scratch/block" \
        >"$scratch/diff"; then
        echo "$page:$line: the block differs from $file [$name]:" >&2
        cat "$scratch/diff" >&2
        status=1
    fi
done <"$scratch/shown"

for source in "$examples"/guide/*.cpp; do
    file=guide/$(basename "$source")
    for name in $(sed -n 's|^[ \t]*//! \[\(.*\)\]$|\1|p' "$source" | sort -u); do
        grep -q " $file $name\$" "$scratch/shown" ||
            { echo "$page does not show $file [$name]" >&2; status=1; }
    done
done
exit $status
