#!/usr/bin/env bash
# Files built for AVX2 give the rest of the program no AVX code. Unoptimised, every inline
# function a file uses is emitted in it, and the linker keeps one copy for all files: a copy
# built for AVX2 could be the one that code for processors without AVX2 calls. So each
# inline function such a file emits must be plain code there, unless it asks for AVX itself
# (then it is AVX code in every file). The files are those the build compiles with -mavx2
# (or another -mavx option) or whose source asks for AVX with a target pragma, each compiled
# as the build compiles it, unoptimised. The fast span routines' own headers
# (src/raster/*_avx2.h and *_avx512.h but the draw_span_*.h ones) build their code for AVX2 or
# AVX-512: only those routines and those headers may include them, and each must end its
# target where it ends. The same holds for AVX-512 code, which a processor with AVX2 alone
# must never meet.
#   avx2_isolation_test.sh COMPILE_COMMANDS_JSON SOURCE_DIR
set -u
source "$(dirname "$0")/checks.sh"
database=$1
sources=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

avx='%ymm|^\s+[0-9a-f]+:\s+v[a-z]'
weak() { nm "$1" | awk '$2 == "W" { print $3 }' | sort -u; }
# hasAvx OBJECT [FUNCTION]: whether the object's code, or that inline function's (in a
# section of its own), has AVX instructions.
hasAvx() { objdump -d --no-show-raw-insn ${2:+-j ".text.$2"} "$1" 2>/dev/null | grep -qE "$avx"; }

# plainIncludes DIRECTORY COMMAND SOURCE OBJECT: SOURCE's includes alone, compiled by its
# COMMAND without AVX options, every inline function emitted.
plainIncludes() {
    local plain_command
    plain_command=$(sed -E -e 's/ -mavx[0-9a-z]*//g' -e 's/ -c .*//' <<<"$2")
    grep -E '^#include' "$3" >"$4.cpp"
    # Helpers the includes define for the file alone are unused here: no warning stops it.
    (cd "$1" && eval "$plain_command -O0 -fkeep-inline-functions -Wno-error -Wno-unused-function \
        -I'$(dirname "$3")' -o '$4' -c '$4.cpp'")
}

# CMake writes each entry's "directory", "command" and "file" on lines of their own:
# jsonValue LINE sets `value` to the line's string, unescaped.
jsonValue() {
    value=${1#*\": \"}
    value=${value%,}
    value=${value%\"}
    value=${value//\\\"/\"}
    value=${value//\\\\/\\}
}
files=0
emitted=0
while IFS= read -r line; do
    case $line in
        *'"directory": "'*) jsonValue "$line" && directory=$value ;;
        *'"command": "'*) jsonValue "$line" && command=$value ;;
        *'"file": "'*)
            jsonValue "$line" && source=$value
            [[ $command == *" -mavx"* ]] || grep -qE '^#pragma GCC target\(".*avx' "$source" || continue
            files=$((files + 1))
            name=$(basename "$source")
            object=$work/$files.o
            # The build's own command, unoptimised, into this test's folder (the last -O
            # and -o win).
            (cd "$directory" && eval "$command -O0 -o '$object'") || exit 1
            check "$name is built for AVX2" hasAvx "$object"
            plain=$work/$files.plain.o
            for symbol in $(weak "$object"); do
                emitted=$((emitted + 1))
                hasAvx "$object" "$symbol" || continue
                # What the file's includes give it, built plainly and kept even where
                # unused: the inline functions that are AVX code by their own request.
                [[ -f $plain ]] || plainIncludes "$directory" "$command" "$source" "$plain" || exit 1
                check "$(c++filt "$symbol") in $name: AVX code only where it asks for AVX itself" \
                    hasAvx "$plain" "$symbol"
            done
            ;;
    esac
done <"$database"

headers=$(cd "$sources/src" && ls raster/*_avx2.h raster/*_avx512.h | grep -v '^raster/draw_span_')
check "the fast routines have headers of their own (else this part checks nothing)" \
    test "$(grep -c _avx512.h <<<"$headers")" -gt 0 -a "$(grep -c _avx2.h <<<"$headers")" -gt 0
for header in $headers; do
    includers=$(grep -rlF "#include \"$header\"" "$sources/src" "$sources/apps" "$sources/tests" \
        "$sources/bench" | grep -vE '/src/raster/([a-z0-9_]+_avx(2|512)\.h|draw_span_avx(2|512|512vl)\.cpp)$')
    check "$header is included by the fast routines alone (not by: $includers)" test -z "$includers"
    check "$header ends its target" test "$(grep -c '^#pragma GCC \(push\|pop\)_options' \
        "$sources/src/$header")" -eq 2
done
check "the build has files built for AVX2 (else this test checks nothing)" test "$files" -gt 0
check "they emit inline functions (else this test checks nothing)" test "$emitted" -gt 0
finish
