#!/usr/bin/env bash
# Installs exactly the Debian packages that are missing for building, running and packaging
# Quorvel, and with one of these for more:
#   --check    the unit tests (make check): GoogleTest
#   --test     every test (make test): Windows and ARM64 builds, Wine, qemu, Xvfb, weston, ...
#   --windows  cross-compiling for Windows (make windows)
#   --arm64    cross-compiling for ARM64 Linux (make arm64)
#   --fuzz     fuzzing (make fuzz)
# Prints nothing when all is there. --list prints every package the set-up needs, one a
# line, installed or not (what a fresh machine would get), and installs nothing.
set -euo pipefail

target=
list=false
for argument in "$@"; do
    case $argument in
        --list) list=true ;;
        --check | --test | --windows | --arm64 | --fuzz) target=$argument ;;
        *)
            echo "install-deps.sh: unknown option '$argument' (--check, --test, --windows, --arm64, --fuzz, --list)" >&2
            exit 2
            ;;
    esac
done
# Whether the set-up asked for is one of those named.
for_target() { [[ " $* " == *" $target "* ]]; }

needed=()
missing=()
need() {  # need PACKAGE CHECK...
    local package=$1
    shift
    needed+=("$package")
    "$@" >/dev/null 2>&1 || missing+=("$package")
}
has() { command -v "$1"; }

need g++ has g++
need make has make
need cmake has cmake
need pkg-config has pkg-config
need libsdl2-dev pkg-config --exists sdl2
need libwayland-dev pkg-config --exists wayland-client
# SDL draws a Wayland window's title bar and buttons with libdecor's plugin; without one the
# window has none, and every start prints libdecor's complaint.
need libdecor-0-plugin-1-cairo bash -c 'ls /usr/lib/*/libdecor/plugins-1/libdecor-cairo.so'
need libstb-dev pkg-config --exists stb
need libxxhash-dev test -f /usr/include/xxhash.h
# make package: dpkg-shlibdeps computes the package's dependencies.
need dpkg-dev has dpkg-shlibdeps
# Elsewhere than on x86 the renderer's 128-bit x86 vector code comes from SIMDe.
if [[ $(uname -m) != x86_64 ]]; then
    need libsimde-dev test -f /usr/include/simde/x86/sse2.h
fi
if for_target --check --test; then
    need libgtest-dev test -f /usr/include/gtest/gtest.h
fi
if for_target --test; then
    need libbenchmark-dev test -f /usr/include/benchmark/benchmark.h
    need clang-format has clang-format
    need xvfb has Xvfb
    need xdotool has xdotool
    need weston has weston
    need openbox has openbox
    need lintian has lintian
    need desktop-file-utils has desktop-file-validate
    need man-db has man
    need pngcheck has pngcheck
    need librsvg2-bin has rsvg-convert
    # The --report schema's validator, for the command-line tests.
    need python3-jsonschema /usr/bin/python3 -c 'import jsonschema'
fi
if for_target --test --windows; then
    need g++-mingw-w64-x86-64 has x86_64-w64-mingw32-g++
fi
if for_target --test --arm64; then
    need g++-aarch64-linux-gnu has aarch64-linux-gnu-g++
    need libsimde-dev test -f /usr/include/simde/x86/sse2.h
    need libgtest-dev test -f /usr/src/googletest/CMakeLists.txt
    need qemu-user has qemu-aarch64
    # The window's libraries for ARM64: Debian's arm64 packages beside the machine's own
    # (multiarch), which needs the arm64 architecture added to dpkg.
    arm64_pc=/usr/lib/aarch64-linux-gnu/pkgconfig
    need libsdl2-dev:arm64 test -f $arm64_pc/sdl2.pc
    need libwayland-dev:arm64 test -f $arm64_pc/wayland-client.pc
    need libx11-dev:arm64 test -f $arm64_pc/x11.pc
    need libxext-dev:arm64 test -f $arm64_pc/xext.pc
fi
if for_target --test; then
    need wine has wine
    need wine64 bash -c 'ls /usr/lib/wine/wine64 || ls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows'
fi
if for_target --fuzz; then
    need clang has clang++
    need libclang-rt-dev bash -c 'ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
fi

if $list; then
    printf '%s\n' "${needed[@]}" | awk '!seen[$0]++'
    exit 0
fi
[[ ${#missing[@]} -eq 0 ]] && exit 0
mapfile -t missing < <(printf '%s\n' "${missing[@]}" | awk '!seen[$0]++')

install=(apt-get install -y --no-install-recommends "${missing[@]}")
if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "quorvel: missing packages; run: sudo ${install[*]}" >&2
    exit 1
fi
echo "quorvel: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if [[ " ${missing[*]}" == *":arm64"* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    "${sudo[@]}" dpkg --add-architecture arm64
fi
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" "${install[@]}"
