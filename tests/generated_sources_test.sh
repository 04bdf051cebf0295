#!/usr/bin/env bash
# The generated sources are what their generators make today, to the byte: each is made
# again into a scratch folder and compared with the checked-in copy.
#   generated_sources_test.sh SOURCE_DIR DRAW_PICTURE KNOWN_HASHES [APPROX_TABLES]
set -u
source "$(dirname "$0")/checks.sh"
sources=$1
draw_picture=$2
known_hashes=$3
approx_tables=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$draw_picture" >"$work/built_in_image.cpp"
check "scene/generated/built_in_image.cpp is quorvel-draw-picture's" \
    cmp "$work/built_in_image.cpp" "$sources/src/scene/generated/built_in_image.cpp"

# The known frame hashes' source from their text; drawing the text again takes minutes, so a
# sample of its frames is drawn again by the slow tier instead (KnownFrameHashes.*).
for table in "$sources"/src/frame/generated/known-hashes-*.txt; do
    name=$(basename "$table" .txt)
    generated=$(echo "${name#known-hashes-}" | tr - _)
    "$known_hashes" source "$table" >"$work/known_hashes_$generated.cpp"
    check "frame/generated/known_hashes_$generated.cpp is made from $name.txt" \
        cmp "$work/known_hashes_$generated.cpp" "$sources/src/frame/generated/known_hashes_$generated.cpp"
done

if [[ -n $approx_tables ]]; then
    for tables in "$sources"/src/numeric/generated/*-tables.txt; do
        maker=$(basename "$tables" | cut -d- -f1)
        "$approx_tables" source "$maker" "$tables" >"$work/approx_tables_$maker.cpp"
        check "numeric/generated/approx_tables_$maker.cpp is made from $(basename "$tables")" \
            cmp "$work/approx_tables_$maker.cpp" "$sources/src/numeric/generated/approx_tables_$maker.cpp"
    done
else
    echo "skipped: the table generator is built only on x86 Linux"
fi
# Every generated source has its generator's check above.
check "no generated source without a check" test "$(find "$sources/src" -path '*/generated/*.cpp' | wc -l)" -eq 7
finish
