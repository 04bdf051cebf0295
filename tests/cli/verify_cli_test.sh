#!/usr/bin/env bash
# quorvel-render --verify from the outside: exit statuses, the verdict, failure records that
# name the processor (proved with the test build's faults made on purpose), and every kind of
# --report checked against the schema with a real validator (python3-jsonschema).
#   verify_cli_test.sh QUORVEL_RENDER QUORVEL_RENDER_FAULTS SCHEMA
set -u
source "$(dirname "$0")/../checks.sh"
render=$(realpath "$1")
faults=$(realpath "$2")
schema=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
python=/usr/bin/python3
[[ -x $python ]] || python=python3

# Each report against the schema (Draft 2020-12), which is checked itself first.
valid() {
    "$python" - "$schema" "$@" <<'PYTHON'
import json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator.check_schema(schema)
for path in sys.argv[2:]:
    jsonschema.Draft202012Validator(schema).validate(json.load(open(path)))
PYTHON
}
# A value from a report: field FILE PYTHON-EXPRESSION (on `r`).
field() { "$python" -c "import json, sys; r = json.load(open(sys.argv[1])); print($2)" "$1"; }

expect_refused() {
    local before after lines status
    before=$(find . | sort)
    "$render" "$@" >/dev/null 2>err.txt
    status=$?
    lines=$(wc -l <err.txt)
    rm -f err.txt
    after=$(find . | sort)
    check "refused: $* (status $status, $lines lines)" test "$status" -eq 2 -a "$lines" -eq 1 -a "$before" = "$after"
}
expect_refused --verify --size 640x480
expect_refused --verify --hash
expect_refused --verify --from 3
expect_refused --duration 10s
expect_refused --keep-going
expect_refused --verify --duration 0s
expect_refused --verify --duration 5x
expect_refused --verify --per-cpu-time 5s
expect_refused --verify --cpus 0 --threads 1
expect_refused --verify --cpus 0,0
expect_refused --verify --cpus 4095
expect_refused --verify --out -
expect_refused --verify --report report.txt
expect_refused --size 8x8 --report report.json
expect_refused --verify --report no/such/folder/report.json
if taskset -c 0 true 2>/dev/null; then
    taskset -c 0 "$render" --verify --threads 2 >/dev/null 2>err.txt
    check "--threads 2 on one processor: status 2, one line" test $? -eq 2 -a "$(wc -l <err.txt)" -eq 1
fi
"$render" --help | grep -q -- "--verify"
check "--help: --verify and its exit status 3" grep -q "^3 a frame drawn wrong" <("$render" --help)

# A run that finds nothing wrong: status 0, the verdict on standard output, a valid report,
# and nothing else left behind (the failures' folder is made only for a failure).
"$render" --verify --size 320x240 --frames 40 --report clean.json >out.txt 2>err.txt
check "clean run: status 0" test $? -eq 0
check "clean run: one PASS line" grep -q "^quorvel-render --verify: PASS: 2\? *[0-9]* processors\? (" out.txt
check "clean run: the report is valid" valid clean.json
processors=$(field clean.json "len(r['workers'])")
check "clean run: every processor drew its 40 frames, all verified" test "$(field clean.json \
    "r['verify']['framesVerified'], r['verify']['verdict'], r['verify']['stoppedBy']")" = "$((40 * processors)) pass frames"
check "clean run: no failures folder" test ! -e verify-failures
if grep -q "this processor's own instructions" err.txt; then
    check "native: named by the model it matches" test "$(field clean.json "r['drawing']['approxNative']")" = True
fi
"$render" --verify --size 320x240 --frames 5 --one-at-a-time --per-cpu-time 1s --approx intel -q \
    --report one.json >/dev/null
check "one at a time: status 0" test $? -eq 0
check "one at a time: every processor verified" test "$(field one.json \
    "all(w['framesVerified'] == 5 for w in r['workers']), r['verify']['oneAtATime'], r['drawing']['approx']")" = \
    "True True intel"
check "one at a time: valid" valid one.json

# The release build has no faults to make, whatever the environment says.
QUORVEL_INJECT_FAULTS="flip on 0 at 3" "$render" --verify --size 320x240 --frames 10 --cpus 0 -q >/dev/null
check "quorvel-render makes no faults" test $? -eq 0

# 1000 bits flipped, 500 on each of two processors: every one reported, on its processor, in
# the frame it was flipped in; the run goes on past each one with --keep-going.
QUORVEL_INJECT_FAULTS="flips 500 every 3" "$faults" --verify --size 320x240 --cpus 0,1 --frames 1500 --keep-going \
    -q --report flips.json >flips.txt 2>injected.txt
check "1000 flips: status 3" test $? -eq 3
sed -n 's/^injected: flip on processor \([0-9]*\) frame \([0-9]*\) .*/\1 \2/p' injected.txt | sort >made.txt
field flips.json "'\n'.join(f\"{f['processor']} {f['frame']}\" for f in r['verify']['failures'] if f['kind'] == 'mismatch')" |
    sort >found.txt
check "1000 flips: 1000 made" test "$(wc -l <made.txt)" -eq 1000
check "1000 flips: each found on its processor in its frame" cmp -s made.txt found.txt
check "1000 flips: 1000 failure lines" test "$(grep -c "^quorvel-render: failure [0-9]* at .* drew frame" flips.txt)" -eq 1000
check "1000 flips: the rest verified" test "$(field flips.json "r['verify']['framesVerified']")" -eq 2000
check "1000 flips: every wrong frame saved beside its right one" test "$(find verify-failures -name '*-wrong.png' | wc -l)" \
    -eq 1000 -a "$(find verify-failures -name '*-right.png' | wc -l)" -eq 1000
check "1000 flips: valid" valid flips.json
rm -rf verify-failures

# One flip that a retest on the same processor repeats; a crash; a hang: each that
# processor's failure, and the run stops at the first.
QUORVEL_INJECT_FAULTS="flip on 1 at 1000 repeats" "$faults" --verify --size 320x240 --cpus 0,1 -q --out evidence \
    --report repeat.json >repeat.txt 2>/dev/null
check "repeated flip: status 3" test $? -eq 3
check "repeated flip: the verdict names processor 1" grep -q \
    "^quorvel-render --verify: FAIL: processor 1 drew frame 1000 wrong, repeats on processor 1; right on processor 0 (" repeat.txt
first="r['verify']['failures'][0]"
check "repeated flip: first differing row and both images" test "$(field repeat.json \
    "$first['firstDifferingRow'] is not None, $first['wrongImage'], $first['rightImage']")" = \
    "True evidence/failure-1-cpu1-frame-01000-wrong.png evidence/failure-1-cpu1-frame-01000-right.png"
check "repeated flip: the images are PNGs" test "$(head -c 4 evidence/failure-1-cpu1-frame-01000-wrong.png | tail -c 3)" = PNG
QUORVEL_INJECT_FAULTS="crash 11 on 0 at 30" "$faults" --verify --size 320x240 --cpus 0,1 -q --report crash.json \
    >crash.txt 2>/dev/null
check "crash: status 3" test $? -eq 3
check "crash: processor 0 died of SIGSEGV on frame 30, not again" grep -q \
    "FAIL: processor 0 died of SIGSEGV on frame 30, did not repeat on processor 0; right on processor 1" crash.txt
QUORVEL_INJECT_FAULTS="hang on 1 at 1000" "$faults" --verify --size 320x240 --cpus 0,1 -q --report hang.json \
    >hang.txt 2>/dev/null
check "hang: status 3" test $? -eq 3
check "hang: processor 1 hung on frame 1000" grep -q "FAIL: processor 1 hung on frame 1000 (no progress for" hang.txt
check "hang and crash: workers lost, valid" test "$(field hang.json "r['verify']['workersLost']")$(field crash.json \
    "r['verify']['workersLost']")" = 11 -a -z "$(valid repeat.json crash.json hang.json 2>&1)"

# Stopped by Ctrl+C: the verdict so far, the report, and SIGINT's status.
env --default-signal=INT "$render" --verify --size 320x240 --duration forever --report stopped.json >stopped.txt 2>err.txt &
pid=$!
for _ in $(seq 600); do grep -q verifying err.txt && break; sleep 0.05; done
sleep 0.5
kill -INT "$pid"
wait "$pid"
status=$?
check "SIGINT: status 130 (got $status)" test "$status" -eq 130
check "SIGINT: stopped by it, with a verdict" test "$(field stopped.json "r['verify']['stoppedBy']")" = SIGINT -a \
    -n "$(grep '^quorvel-render --verify: ' stopped.txt)"
check "SIGINT: the verdict says the run was cut short" grep -q "stopped early by SIGINT$" stopped.txt

# A worker that cannot be started (a process limit, for a user the limit binds): the run
# stops at once with status 1 and gives no pass, naming the processor all the same.
if [[ $(id -u) == 0 ]] && command -v setpriv >/dev/null; then
    chmod 777 "$work"
    setpriv --reuid=65534 --regid=65534 --clear-groups bash -c \
        "ulimit -u 2; exec '$render' --verify --size 320x240 --duration 30s -q --report limited.json" \
        >limited.txt 2>limited.err
    status=$?
    check "no worker process: status 1 (got $status)" test "$status" -eq 1
    check "no worker process: said on standard error" grep -q "cannot start a worker process" limited.err
    check "no worker process: no verdict, the processor named" grep -q \
        "^quorvel-render --verify: NO VERDICT: the run failed (.* processors* ([^,]*[A-Za-z]" limited.txt
    check "no worker process: the report says so, valid" test "$(field limited.json \
        "r['verify']['verdict'], r['verify']['stoppedBy']")" = "error error" -a -z "$(valid limited.json 2>&1)"
fi

# --bench and --hash reports: the run, its frame times and (with --hash) every frame's hash.
"$render" --size 64x48 --frames 30 --save none --bench --report bench.json >/dev/null
"$render" --size 64x48 --from 5 --frames 30 --save none --hash --report hash.json >hashes.txt
check "bench and hash reports: valid" valid bench.json hash.json
check "bench: 20 frames timed after 10 of warm-up" test "$(field bench.json \
    "r['kind'], r['frameTimes']['frames'], r['frameTimes']['warmupFrames']")" = "bench 20 10"
check "hash: the hashes printed" test "$(field hash.json \
    "'\n'.join(f\"frame {h['frame']} hash {h['hash']}\" for h in r['hashes'])")" = "$(cat hashes.txt)"
# The schema is no formality: a report missing a key, or with one it does not know, fails.
"$python" -c "import json; r = json.load(open('bench.json')); del r['frameTimes']['p99Ms']; json.dump(r, open('broken.json', 'w'))"
check "the schema rejects a report without a key" test -n "$(valid broken.json 2>&1)"
"$python" -c "import json; r = json.load(open('bench.json')); r['extra'] = 1; json.dump(r, open('broken.json', 'w'))"
check "the schema rejects a report with an unknown key" test -n "$(valid broken.json 2>&1)"
finish
