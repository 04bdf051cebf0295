#!/usr/bin/env bash
# What each make target's set-up installs (tools/install-deps.sh --list: what a fresh
# machine would get): make check only what building and the unit tier need, the other tiers
# theirs when they are asked for.
#   setup_test.sh SOURCE_DIR
set -u
source "$(dirname "$0")/../checks.sh"
sources=$1
set_of() { LC_ALL=C sort | tr '\n' ' '; }
list() { "$sources/tools/install-deps.sh" --list "$@" | set_of; }
# The make commands a target would run, run by nothing.
recipe() { env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS make -n --no-print-directory -C "$sources" "$1"; }
building=(g++ make cmake pkg-config libsdl2-dev libwayland-dev libdecor-0-plugin-1-cairo libstb-dev libxxhash-dev
    dpkg-dev)
building_and() { printf '%s\n' "${building[@]}" "$@" | set_of; }

check "make setup: what building and running need" test "$(list)" = "$(building_and)"
check "make setup-check: that and GoogleTest" test "$(list --check)" = "$(building_and libgtest-dev)"
check "make setup-windows: that and MinGW-w64" test "$(list --windows)" = "$(building_and g++-mingw-w64-x86-64)"
arm64=$(list --arm64)
check "make setup-arm64: the cross compiler and the window's arm64 libraries" \
    grep -q -e "g++-aarch64-linux-gnu .*libsdl2-dev:arm64" <<<"$arm64"
everything=$(list --test)
for package in libgtest-dev libbenchmark-dev clang-format xvfb weston lintian wine qemu-user \
    g++-mingw-w64-x86-64 g++-aarch64-linux-gnu; do
    check "make setup-test: $package" grep -q -w -e "$package" <<<"$everything"
done
check "an unknown set-up is refused" test "$("$sources/tools/install-deps.sh" --tests 2>&1 >/dev/null | wc -l)" -eq 1

check_recipe=$(recipe check)
check "make check sets up the unit tier only" grep -q -e 'install-deps.sh --check$' <<<"$check_recipe"
check "... nothing of the other tiers" test -z "$(grep -E -e 'install-deps.sh --(test|windows|arm64)' <<<"$check_recipe")"
check "... and builds no benchmark (no Google Benchmark needed)" grep -q -e '-DQUORVEL_BUILD_BENCH=OFF' <<<"$check_recipe"
check "... and runs the unit tier" grep -q -e 'ctest .*-L unit' <<<"$check_recipe"
test_recipe=$(recipe test)
for target in --test --windows --arm64; do
    check "make test sets up $target" grep -q -e "install-deps.sh $target\$" <<<"$test_recipe"
done
finish
