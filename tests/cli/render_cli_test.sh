#!/usr/bin/env bash
# quorvel-render from the outside: exit statuses, one-line errors, files left behind.
set -u
source "$(dirname "$0")/../checks.sh"
render=$(realpath "$1")
golden=$(realpath "$(dirname "$0")/../golden")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

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

# An option that writes a file is taken only by its whole name: a guess that merely begins
# it (--texture for a picture of one's own) is refused, naming the whole name, and the file
# it names stays as it was.
echo "a picture of one's own" >mine.png
echo "a plot of one's own" >mine.svg
cp mine.png mine.png.before && cp mine.svg mine.svg.before
refuses_guess() {  # WHOLE FILE ARGUMENTS...
    local whole=$1 file=$2 status
    shift 2
    "$render" --size 8x8 --save none "$@" >/dev/null 2>err.txt
    status=$?
    check "$*: status 2, one line" test "$status" -eq 2 -a "$(wc -l <err.txt)" -eq 1
    check "$*: names $whole" grep -Eq "'${1%%=*}' (is not a whole option name: $whole,|is ambiguous)" err.txt
    check "$*: $file untouched" cmp -s "$file" "$file.before"
}
refuses_beginnings_of() {  # WHOLE FILE SHORTEST
    local whole=$1 file=$2 length
    for ((length = $3; length < ${#whole}; ++length)); do
        refuses_guess "$whole" "$file" "${whole:0:length}" "$file"
        refuses_guess "$whole" "$file" "${whole:0:length}=$file"
    done
}
refuses_beginnings_of --texture-out mine.png 3
refuses_beginnings_of --bench-plot mine.svg 8  # shorter: --bench itself, or ambiguous
echo "a report of one's own" >mine.json && cp mine.json mine.json.before
refuses_beginnings_of --report mine.json 3
rm -f err.txt mine.png mine.png.before mine.svg mine.svg.before mine.json mine.json.before

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
check "bench line" grep -q -E '^bench: frames 2 size 64x48 .* peak-rss [0-9]+ KiB approx [a-z]+ fingerprint [0-9a-f]{16} workers [0-9]+ processors [0-9,]+$' bench.txt

# Frames are not poured onto a terminal: --out - there is one line and status 2, unless
# standard output is sent elsewhere or no frame is saved.
if command -v script >/dev/null; then
    script -qec "'$render' --size 8x8 --out -" /dev/null >tty.txt
    check "--out - on a terminal: status 2" test $? -eq 2
    check "--out - on a terminal: one line and no frame" test "$(tr -d '\r' <tty.txt)" = \
        "quorvel-render: --out -: frames are not written to a terminal; redirect standard output to a file or a pipe"
    check "--out - --save none on a terminal: runs" script -qec "'$render' --size 8x8 --out - --save none -q" /dev/null
    script -qec "'$render' --size 8x8 --out - -q >from-tty.ppm" /dev/null >/dev/null
    check "--out - from a terminal into a file: the frame" cmp -s from-tty.ppm <("$render" --size 8x8 --out -)
    rm -f tty.txt from-tty.ppm
fi

# On a terminal (a pseudo-terminal from script): the progress line, every other line above
# it and never glued to it, and a summary at the end.
if command -v script >/dev/null; then
    script -qec "'$render' --size 320x240 --frames 200 --save 0,199 --out tty --hash" /dev/null >tty.txt
    check "terminal: 200 hash lines, each on a line of its own" \
        test "$(tr '\r' '\n' <tty.txt | grep -c -E '^frame [0-9]+ hash [0-9a-f]{16}$')" -eq 200
    check "terminal: nothing glued to a hash line" test "$(grep -a -c -E '[0-9]frame ' tty.txt)" -eq 0
    check "terminal: a summary" grep -a -q "^quorvel-render: drew 200 frames (0 to 199) at 320x240 in .* s; saved 2 as PNG in 'tty'" \
        <(tr '\r' '\n' <tty.txt)
    check "terminal: --quiet says nothing more" test -z "$(script -qec "'$render' --size 16x16 -q --out tty" /dev/null)"
    # A terminal narrowed from 100 to 30 columns mid-run: every redraw after the first one
    # there (which may have read the old width) stays within 29 columns. The waits leave room
    # for a loaded machine: the line is redrawn every tenth of a second.
    script -qec "sh -c 'stty cols 100; \"$render\" --size 320x240 --frames 100000000 --save none & \
        sleep 1.5; stty cols 30; printf \"\\nNARROWED\\n\"; sleep 1.5; kill \$!'" /dev/null </dev/null >narrowed.txt
    tr '\r' '\n' <narrowed.txt | sed '1,/^NARROWED$/d' | grep -a . | tail -n +2 >redraws.txt
    check "narrowed terminal: redrawn" test "$(wc -l <redraws.txt)" -ge 2
    check "narrowed terminal: never 30 columns wide" test "$(awk '{ print length($0) }' redraws.txt | sort -n | tail -n 1)" -le 29
fi

# --bench-plot: an SVG a browser shows (rendered here where rsvg-convert is at hand).
"$render" --size 64x48 --frames 100 --save none --bench-plot plot.svg >/dev/null
check "--bench-plot writes an SVG" grep -q "<svg" plot.svg
"$render" --size 64x48 --from 18446744073709551614 --save none --bench-plot last.svg >/dev/null
check "--bench-plot labels a frame number near 2^64 exactly" grep -q ">18446744073709551614<" last.svg
if command -v rsvg-convert >/dev/null; then
    check "--bench-plot renders" rsvg-convert plot.svg -o plot.png
    check "--bench-plot renders 960x480" grep -q "(960x480," <(pngcheck plot.png)
    check "--bench-plot renders a one-frame run" rsvg-convert last.svg -o last.png
fi
expect_refused --bench-plot plot.png
expect_refused --bench-plot no/such/folder/plot.svg
# The output folder is made before the files' places are checked, so a file may go in it.
"$render" --size 16x16 --bench-plot run1/plot.svg --texture-out run1/t.png --out run1 2>/dev/null
check "--bench-plot and --texture-out in the folder --out makes" test -f run1/plot.svg -a -f run1/t.png -a -f run1/frame-00000.png

# Frame numbers take the digits of the run's last one, at least five.
"$render" --size 16x16 --from 99999 --frames 2 --save all --out digits
check "frame names sort: 099999 before 100000" test "$(ls digits | tr '\n' ' ')" = "frame-099999.png frame-100000.png "

# The last frame number is a frame like any other: the animation repeats every 58368 frames.
"$render" --size 64x48 --from 18446744073709551615 --hash --out last >hash.txt
check "--from 2^64-1: drawn and saved" test $? -eq 0 -a -f last/frame-18446744073709551615.png
check "--from 2^64-1: the frame 1023 is (2^64-1 mod 58368)" test "$(cut -d' ' -f4 hash.txt)" = \
    "$("$render" --size 64x48 --from 1023 --hash --save none | cut -d' ' -f4)"
expect_refused --from 18446744073709551615 --frames 2

# A maker's model draws that maker's frames on any processor.
xeon=$(awk '$1 == "640x480" && $2 == 1261 {print $3}' "$golden/intel_frame_hashes.txt")
check "--approx intel: the Xeon's frame" test "$("$render" --approx intel --size 640x480 --from 1261 --hash \
    --save none)" = "frame 1261 hash $xeon"
# Every span routine this processor runs draws the same frames; one it cannot run, or that
# does not exist, is refused.
runnable=$("$render" --version | sed -n 's/^span routine: .*; all: //p' | sed 's/, /\n/g' | grep -v '(')
check "--version lists the routines" test -n "$runnable"
for routine in $runnable; do
    check "--span-routine $routine: the same hashes" test "$("$render" --size 64x48 --frames 8 --save none --hash \
        --span-routine "$routine")" = "$("$render" --size 64x48 --frames 8 --save none --hash)"
done
expect_refused --span-routine avx9
check "--bench names the routine" grep -q " routine reference " <("$render" --size 8x8 --save none --bench --span-routine reference)
in_use=$("$render" --version | sed -n 's/^span routine: \([a-z0-9]*\) .*/\1/p')
check "--bench names the routine --version says is in use ($in_use)" \
    grep -q " routine $in_use " <("$render" --size 8x8 --save none --bench)

# Any number of workers on any processors draws the same frames: pinned to one processor
# (taskset), more workers than processors (said once), and the bench line names where they ran.
plain=$("$render" --size 130x98 --from 1200 --frames 12 --save none --hash)
for threads in 1 3 64 all; do
    check "--threads $threads: the same hashes" test "$("$render" --size 130x98 --from 1200 --frames 12 \
        --save none --hash --threads $threads 2>/dev/null)" = "$plain"
done
if command -v taskset >/dev/null; then
    for processor in 0 1; do
        taskset -c "$processor" true 2>/dev/null || continue
        check "taskset -c $processor: the same hashes" test "$(taskset -c "$processor" "$render" --size 130x98 \
            --from 1200 --frames 12 --save none --hash 2>/dev/null)" = "$plain"
        check "taskset -c $processor: --threads all is one worker on processor $processor" grep -q \
            " workers 1 processors $processor\$" <(taskset -c "$processor" "$render" --size 8x8 --save none --bench)
    done
    if taskset -c 0 true 2>/dev/null; then
        taskset -c 0 "$render" --size 8x8 --frames 3 --save none --threads 3 2>err.txt >/dev/null
        check "more workers than processors: said once" test "$(grep -c 'workers on 1 processors' err.txt)" -eq 1
        rm -f err.txt
    fi
fi
check "--bench names the workers' processors" grep -Eq " workers 3 processors [0-9]+,[0-9]+,[0-9]+\$" \
    <("$render" --size 8x8 --save none --bench --threads 3 2>/dev/null)
expect_refused --threads 0
expect_refused --threads 257
expect_refused --threads 2 --reference

# The reference path draws the same frames as the fast one (compared frame by frame in the
# unit tests); here, that --reference reaches it.
check "--reference: the same hashes" test "$("$render" --size 64x48 --frames 8 --save none --hash --reference)" \
    = "$("$render" --size 64x48 --frames 8 --save none --hash)"
check "--version names the approximations" grep -q "^approximations: amd (measured tables[^)]*), fingerprint" \
    <("$render" --approx=amd --version)

# Standard output that refuses what is written: status 1 and one line, giving the reason the
# write failed for (not what a later call left behind).
for args in "--size 4x4 --hash" "--help" "--version" "--size 4x4 --save none --bench"; do
    "$render" $args >/dev/full 2>err.txt
    check "stdout full ($args)" test $? -eq 1 -a "$(wc -l <err.txt)" -eq 1
done
"$render" --size 4x4 --frames 2 --save none --hash >/dev/full 2>err.txt
check "stdout full: says why" grep -q "No space left on device" err.txt
# Started with standard output closed: nothing opened later is taken for it.
for args in "--size 4x4 --hash" "--size 4x4 --out - --format ppm"; do
    "$render" $args >&- 2>err.txt
    check "stdout closed ($args): status 1" test $? -eq 1
    check "stdout closed ($args): says why" grep -qx "quorvel-render: cannot write the output: Bad file descriptor" err.txt
done
# A closed pipe ends the program quietly, with SIGPIPE's status even where SIGPIPE is ignored.
"$render" --size 64x48 --frames 5000 --save none --hash 2>err.txt | head -n 1 >/dev/null
check "closed pipe: quiet" test ! -s err.txt
for args in "--hash --save none" "--out - --format ppm"; do
    (trap '' PIPE && exec "$render" --size 64x48 --frames 5000 $args 2>err.txt | head -c 100 >/dev/null
        exit "${PIPESTATUS[0]}")
    status=$?
    check "closed pipe, SIGPIPE ignored ($args): status 141 (got $status)" test "$status" -eq 141
    check "closed pipe, SIGPIPE ignored ($args): quiet" test ! -s err.txt
done

# Interrupted while a file is being written: the usual status, and that file gone. Large
# frames take long enough to encode for the signal to be sent while one is half written.
# (A script's background jobs start with SIGINT ignored, which the program keeps; env
# restores it.)
interrupt_while_writing() {  # SIGNAL STATUS
    local signal=$1 folder=interrupted-$1 pid status
    mkdir "$folder"
    env --default-signal="$signal" "$render" --size 4096x4096 --frames 3 --save all --out "$folder" 2>/dev/null &
    pid=$!
    wait_for_partial "$folder"
    if [[ $signal != INT ]]; then
        kill -INT "$pid"
        sleep 0.2
        check "SIGINT the parent ignores stays ignored" kill -0 "$pid"
    fi
    kill -"$signal" "$pid"
    wait "$pid"
    status=$?
    check "SIG$signal while writing: status $status" test "$status" -eq "$2"
    check "SIG$signal while writing: nothing half written" test -z "$(find "$folder" -name '.*')"
}
interrupt_while_writing INT 130
interrupt_while_writing TERM 143
interrupt_while_writing HUP 129

# Frames on standard output: the PPM stream is the PPM files one after another; the y4m
# stream has its header and one FRAME per frame.
"$render" --size 64x48 --frames 4 --save all --format ppm --out files
"$render" --size 64x48 --frames 4 --out - >stream.ppm
check "ppm stream = ppm files" cmp -s stream.ppm <(cat files/frame-0000{0,1,2,3}.ppm)
"$render" --size 64x48 --from 2 --frames 3 --out - --format y4m --hash >stream.y4m 2>hashes.txt
check "y4m header" test "$(head -n 1 stream.y4m)" = "YUV4MPEG2 W64 H48 F60:1 Ip A1:1 C444 XCOLORRANGE=LIMITED"
check "y4m frames" test "$(stat -c %s stream.y4m)" -eq $(($(head -n 1 stream.y4m | wc -c) + 3 * (6 + 3 * 64 * 48)))
check "hashes beside a stream go to stderr, numbered from --from" test "$(cut -d' ' -f2 hashes.txt | tr '\n' ' ')" = "2 3 4 "

# Skipping to frame K gives the frame drawing every frame before it gives.
for k in 1 1261; do
    skipped=$("$render" --size 64x48 --from "$k" --save none --hash)
    drawn=$("$render" --size 64x48 --frames $((k + 1)) --save none --hash | tail -n 1)
    check "--from $k" test "$skipped" = "$drawn"
done

# A small stack is enough (about 24 KiB is, and 64 KiB under the sanitizers): nothing large
# is kept on it.
stack_kib=64
small_stack() { (ulimit -s "$stack_kib" && exec "$render" "$@") 2>/dev/null; }
frames=(--size 640x480 --from 1261 --frames 2 --hash)
"$render" "${frames[@]}" --out usual-stack >usual-hashes.txt
check "ulimit -s $stack_kib: the frames' hashes" cmp -s <(small_stack "${frames[@]}" --out small-stack) usual-hashes.txt
check "ulimit -s $stack_kib: the frame saved" cmp -s small-stack/frame-01262.png usual-stack/frame-01262.png
check "ulimit -s $stack_kib: the reference's hashes" \
    cmp -s <(small_stack "${frames[@]}" --reference --save none) usual-hashes.txt
small_stack --texture-out small-stack.png
"$render" --texture-out usual-stack.png 2>/dev/null
check "ulimit -s $stack_kib: --texture-out" cmp -s small-stack.png usual-stack.png

# Memory does not grow with the length of a run (sanitizers keep freed memory on purpose,
# so the check means something only in a plain build).
rss() { "$render" --size 64x48 --frames "$1" --save none --bench | sed -n 's/.*peak-rss \([0-9]*\) KiB.*/\1/p'; }
if [[ -z ${QUORVEL_SANITIZED:-} ]]; then
    short_run=$(rss 20)
    long_run=$(rss 20000)
    check "peak memory flat over a long run ($short_run vs $long_run KiB)" test "$long_run" -le $((short_run + 1024))
fi

finish
