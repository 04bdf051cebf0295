#!/usr/bin/env bash
# quorvel-render against a hostile file system: links and FIFOs planted where it writes,
# folders in the way, other users' files, two runs into one folder, memory and file size
# limits, and signals at random moments. Nothing of anyone else's is ever touched, every
# visible frame is a whole image, and no temporary file is left behind.
set -u
source "$(dirname "$0")/../checks.sh"
render=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
chmod 755 "$work"
ulimit -c 0

no_temporaries() { test -z "$(find "$@" -type f -name '*.partial')"; }
is_png() { [[ $(head -c 8 "$1" | od -An -tx1 | tr -d ' ') == 89504e470d0a1a0a ]] && pngcheck -q "$1" >/dev/null; }
one_line() { test "$(wc -l <"$1")" -eq 1; }

# Links planted at the names earlier versions wrote through, and at the frame's own name:
# none is followed, the old ones stay as they were, the frame's is replaced by the frame.
echo secret >victim
mkdir planted
for name in .quorvel-write-probe .frame-00000.png.partial frame-00000.png; do ln -s ../victim "planted/$name"; done
mkfifo planted/frame-00001.png
timeout 20 "$render" --size 16x16 --frames 2 --save all --out planted 2>err.txt
check "planted links and FIFO: exit 0" test $? -eq 0
check "planted links: the target is untouched" test "$(cat victim)" = secret
check "planted links: the old names are left alone" test -L planted/.quorvel-write-probe -a -L planted/.frame-00000.png.partial
check "planted link at the frame's name: replaced by the frame" test ! -L planted/frame-00000.png
check "planted FIFO at the frame's name: replaced by the frame" test -f planted/frame-00001.png
check "planted: both frames are images" is_png planted/frame-00000.png
check "planted: the same for --texture-out" "$render" --texture-out planted/frame-00000.png 2>/dev/null
check "planted: no temporary left" no_temporaries planted

# A folder where a frame goes: one line naming that file, and nothing left.
mkdir -p blocked/frame-00000.png
"$render" --size 16x16 --out blocked 2>err.txt
status=$?
check "folder in the way: refused" test "$status" -ne 0
check "folder in the way: one line naming it" grep -q "'blocked/frame-00000.png': Is a directory" err.txt
check "folder in the way: one line" one_line err.txt
check "folder in the way: no temporary left" no_temporaries blocked

# A file that cannot be placed is found before anything is drawn: a folder at its name, or a
# name that fits the file system but not its hidden file beside it (22 bytes longer). One
# line, status 2, and the output folder the run would have made is not left behind.
mkdir folder.svg folder.png
long=$(printf 'n%.0s' $(seq 240))
for place in "--bench-plot folder.svg" "--texture-out folder.png" "--bench-plot $long.svg" "--texture-out $long.png"; do
    read -r option file <<<"$place"
    "$render" --size 16x16 --out made/frames "$option" "$file" 2>err.txt
    status=$?
    check "${place:0:30}: status 2" test "$status" -eq 2
    check "${place:0:30}: one line naming it" grep -q "^quorvel-render: cannot write '.*\.\(svg\|png\)'.*: " err.txt
    check "${place:0:30}: one line" one_line err.txt
    check "${place:0:30}: nothing made" test ! -e made -a -z "$(find . -maxdepth 1 \( -name '.*.partial' -o -name "$long*" \))"
done
check "a folder at the file's name: left as it was" test -d folder.svg -a -z "$(ls -A folder.svg)"

# An error line quotes a long path by its end, on one line.
"$render" --size 16x16 --out "$(printf 'x%.0s' $(seq 300))/end"$'\n'"line" 2>err.txt
check "long path: one short line" test "$(wc -l <err.txt)" -eq 1 -a "$(wc -c <err.txt)" -lt 200
check "long path: its end, escaped" grep -q "/end\\\\nline' (309 characters)" err.txt

# Another user's files in a sticky world-writable folder (as in /tmp).
if [[ $(id -u) -eq 0 ]] && command -v runuser >/dev/null && runuser -u nobody -- true 2>/dev/null; then
    mkdir -m 1777 shared
    echo "root only" >root-only && chmod 600 root-only
    runuser -u nobody -- ln -s "$work/root-only" shared/frame-00000.png
    runuser -u nobody -- ln -s "$work/root-only" shared/.quorvel-write-probe
    "$render" --size 16x16 --out shared 2>err.txt
    check "another user's link: root's run succeeds" test $? -eq 0
    check "another user's link: its target is untouched" test "$(cat root-only)" = "root only"
    check "another user's link: the frame is root's own file" test "$(stat -c %U shared/frame-00000.png)" = root
    # The other way round: a run as nobody cannot replace root's frame, and says so.
    runuser -u nobody -- "$render" --size 16x16 --out shared 2>err.txt
    check "someone else's frame: refused" test $? -ne 0
    check "someone else's frame: one line" one_line err.txt
    check "someone else's frame: still root's" test "$(stat -c %U shared/frame-00000.png)" = root
    check "someone else's frame: no temporary left" no_temporaries shared
else
    echo "skipped: the other-user cases need root and runuser"
fi

# Two runs into one folder: every frame visible at any moment is a whole image, and both
# runs succeed.
race_trials=0
for trial in $(seq 10); do
    rm -rf race && mkdir race
    "$render" --size 320x240 --frames 20 --save all --out race --quiet 2>race1.err &
    first=$!
    "$render" --size 320x240 --frames 20 --save all --out race --quiet 2>race2.err &
    second=$!
    broken=0
    while kill -0 "$first" 2>/dev/null || kill -0 "$second" 2>/dev/null; do
        for frame in race/frame-*.png; do
            [[ -e $frame ]] && ! is_png "$frame" && broken=$((broken + 1))
        done
    done
    wait "$first"
    first_status=$?
    wait "$second"
    second_status=$?
    check "two runs, trial $trial: both exit 0" test "$first_status" -eq 0 -a "$second_status" -eq 0
    check "two runs, trial $trial: no broken frame seen" test "$broken" -eq 0
    check "two runs, trial $trial: 20 frames, no temporary" test "$(ls -A race | wc -l)" -eq 20
    race_trials=$((race_trials + 1))
done

# Limits: a memory limit anywhere from too little to enough is one line and status 1, or
# success, never an abort; a file size limit is one line. Sanitizers reserve far more
# address space than any such limit allows.
if [[ -z ${QUORVEL_SANITIZED:-} ]]; then
    for limit in 10000 20000 30000 40000 50000 60000 80000; do
        (ulimit -v "$limit" && exec "$render" --size 1910x1070 --out "memory-$limit" --quiet) 2>err.txt
        status=$?
        check "ulimit -v $limit: status $status is 0 or 1" test "$status" -le 1
        [[ $status -eq 1 ]] && check "ulimit -v $limit: one line on out of memory" grep -q "out of memory" err.txt
        check "ulimit -v $limit: no temporary left" no_temporaries "memory-$limit"
        [[ $status -eq 1 ]] && check "ulimit -v $limit: no empty folder left" test ! -e "memory-$limit"
    done
fi
(ulimit -f 100 && exec "$render" --size 640x480 --format ppm --out sized) 2>err.txt
status=$?
check "ulimit -f: refused (status $status)" test "$status" -ne 0 -a "$status" -lt 128
check "ulimit -f: one line" grep -q "File too large" err.txt
check "ulimit -f: no temporary left" no_temporaries sized

# Hangup, quit and terminate at random moments, while the band workers draw (and hash) or a
# frame is being written: the signal's status and nothing half written, whichever thread
# the signal found.
for signal in HUP QUIT TERM; do
    number=$(kill -l "$signal")
    for trial in $(seq 8); do
        folder=signal-$signal-$trial
        env --default-signal="$signal" "$render" --size 1024x1024 --frames 8 --save all --hash --out "$folder" \
            >/dev/null 2>&1 &
        pid=$!
        sleep "0.$((RANDOM % 10))$((RANDOM % 10))"
        kill -"$signal" "$pid" 2>/dev/null
        wait "$pid"
        status=$?
        check "SIG$signal at random, trial $trial: status $status" test "$status" -eq 0 -o "$status" -eq $((128 + number))
        check "SIG$signal at random, trial $trial: nothing half written" no_temporaries "$folder"
    done
done

# Every other signal sent from outside whose default action ends a process, sent while a
# large frame is being encoded: that file goes and the status is the signal's. (Profilers'
# timers and the fault signals are left to their default actions.)
signal_while_writing() {  # SIGNAL
    local signal=$1 folder=writing-$1 pid status
    mkdir "$folder"
    env --default-signal="$signal" "$render" --size 4096x4096 --frames 3 --save all --out "$folder" 2>/dev/null &
    pid=$!
    wait_for_partial "$folder"
    kill -"$signal" "$pid"
    wait "$pid"
    status=$?
    check "SIG$signal while writing: status $status" test "$status" -eq $((128 + $(kill -l "$signal")))
    check "SIG$signal while writing: nothing half written" no_temporaries "$folder"
}
for signal in XCPU ALRM USR1 USR2 IO STKFLT PWR RTMIN RTMIN+1 RTMAX; do signal_while_writing "$signal"; done
# One the parent left ignored stays ignored.
env --ignore-signal=USR1 "$render" --size 4096x4096 --frames 3 --save all --out ignored 2>/dev/null &
pid=$!
sleep 0.5
kill -USR1 "$pid"
sleep 0.2
check "SIGUSR1 the parent ignores stays ignored" kill -0 "$pid"
kill -TERM "$pid"
wait "$pid"
check "SIGTERM after the ignored SIGUSR1: nothing half written" no_temporaries ignored
# A processor time limit sends SIGXCPU, almost surely while the first frame is encoded.
(ulimit -S -t 1 && exec "$render" --size 4096x4096 --frames 50 --save all --out cpu-limit) 2>/dev/null
status=$?
check "ulimit -t 1: status $status" test "$status" -eq $((128 + $(kill -l XCPU)))
check "ulimit -t 1: nothing half written" no_temporaries cpu-limit

finish
