#!/usr/bin/env bash
# quorvel-render from the outside: exit statuses, one-line errors, files left behind.
set -u
render=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0
failed=0

check() {  # check NAME CONDITION...
    local name=$1
    shift
    if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $name"; fi
}

# Bad input: status 2, exactly one line on stderr, nothing written.
expect_refused() {
    local before after lines status
    before=$(find . | sort)
    "$render" "$@" >/dev/null 2>err.txt
    status=$?
    lines=$(wc -l <err.txt)
    rm -f err.txt
    after=$(find . | sort)
    check "refused: $*" test "$status" -eq 2 -a "$lines" -eq 1 -a "$before" = "$after"
}

# The parser's cases are unit tests; these check the contract from outside: status 2,
# one line, nothing written, for bad values and for paths that cannot be used.
expect_refused --size 1911x1070
expect_refused --frames 3 --size 4x4 --save 5
expect_refused --bogus
expect_refused --texture-out no/such/folder/t.png
expect_refused --size 4x4 --out /proc/no-such-folder/frames
mkdir locked && touch locked/file && expect_refused --out locked/file --frames 1 --size 4x4
check "no partial texture" test -z "$(find . -name '*.partial')"

# Good paths.
"$render" --help | grep -q -- --texture-out
check "help" test $? -eq 0
"$render" --texture-out t.ppm 2>/dev/null
check "texture ppm" test "$(head -c 15 t.ppm | tr '\n' ' ')" = "P6 128 128 255 " -a "$(stat -c %s t.ppm)" -eq $((15 + 128 * 128 * 3))
"$render" --texture-out t.png 2>/dev/null
check "texture png" test "$(head -c 4 t.png | tail -c 3)" = "PNG"
check "texture alone renders no frames" test ! -e frames

"$render" --size 64x48 --frames 3 --save 0,2 --format ppm --out out --hash >hashes.txt
check "frames saved" test -f out/frame-00000.ppm -a -f out/frame-00002.ppm -a ! -e out/frame-00001.ppm
check "hash lines" grep -q -E '^frame 2 hash [0-9a-f]{16}$' hashes.txt
check "hash count" test "$(wc -l <hashes.txt)" -eq 3

"$render" --size 64x48 --frames 2 --save none --bench >bench.txt
check "bench line" grep -q -E '^bench: frames 2 size 64x48 .* peak-rss [0-9]+ KiB$' bench.txt

# Memory does not grow with the length of a run (sanitizers keep freed memory on purpose,
# so the check means something only in a plain build).
rss() { "$render" --size 64x48 --frames "$1" --save none --bench | sed -n 's/.*peak-rss \([0-9]*\) KiB/\1/p'; }
if [[ -z ${QUORVEL_SANITIZED:-} ]]; then
    short_run=$(rss 20)
    long_run=$(rss 20000)
    check "peak memory flat over a long run ($short_run vs $long_run KiB)" test "$long_run" -le $((short_run + 1024))
fi

echo "$passed passed, $failed failed"
test "$failed" -eq 0
