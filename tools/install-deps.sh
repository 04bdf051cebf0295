#!/usr/bin/env bash
# Installs exactly the Debian packages that are missing for building, running and packaging
# Quorvel; with --test for testing it (Windows and ARM64 builds, Wine and qemu included),
# --windows or --arm64 for cross-compiling it, --fuzz for fuzzing it. Prints nothing when
# all is there.
set -euo pipefail

missing=()
need() {  # need PACKAGE CHECK...
    local package=$1
    shift
    "$@" >/dev/null 2>&1 || missing+=("$package")
}
has() { command -v "$1"; }

need g++ has g++
need make has make
need cmake has cmake
need pkg-config has pkg-config
need libsdl2-dev pkg-config --exists sdl2
need libwayland-dev pkg-config --exists wayland-client
need libstb-dev pkg-config --exists stb
need libxxhash-dev test -f /usr/include/xxhash.h
# make package: dpkg-shlibdeps computes the package's dependencies.
need dpkg-dev has dpkg-shlibdeps
if [[ ${1:-} == --test ]]; then
    need libgtest-dev test -f /usr/include/gtest/gtest.h
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
fi
if [[ ${1:-} == --test || ${1:-} == --windows ]]; then
    need g++-mingw-w64-x86-64 has x86_64-w64-mingw32-g++
fi
if [[ ${1:-} == --test || ${1:-} == --arm64 ]]; then
    need g++-aarch64-linux-gnu has aarch64-linux-gnu-g++
    need libsimde-dev test -f /usr/include/simde/x86/sse2.h
    need libgtest-dev test -f /usr/src/googletest/CMakeLists.txt
    need qemu-user has qemu-aarch64
fi
if [[ ${1:-} == --test ]]; then
    need wine has wine
    need wine64 bash -c 'ls /usr/lib/wine/wine64 || ls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows'
fi
if [[ ${1:-} == --fuzz ]]; then
    need clang has clang++
    need libclang-rt-dev bash -c 'ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a'
fi

[[ ${#missing[@]} -eq 0 ]] && exit 0

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
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" "${install[@]}"
