# Thin wrapper over CMake: `make run` and `make test` do all the set-up themselves.

BUILD_DIR ?= build
BUILD_TYPE ?= Release
PREFIX ?= /usr/local
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# WERROR=ON turns every compiler warning into an error (CI builds this way).
WERROR ?= OFF
CONFIGURE = cmake -DQUORVEL_WERROR=$(WERROR)

.PHONY: help all setup setup-check setup-test setup-fuzz setup-windows setup-arm64 build build-all windows arm64 run \
	package-arm64 bench-arm64 \
	test check test-asan test-tsan \
	fuzz bench install uninstall package check-format clean

all: build

help:
	@echo "make run          set up what running needs, build, open the window"
	@echo "make build        build the two programs (build/)"
	@echo "make build-all    build the programs, tests and benchmarks"
	@echo "make test         set up everything, build, run every test (about 4 min once set up)"
	@echo "make check        set up what it needs, build, run the unit tier (seconds)"
	@echo "make test-asan    AddressSanitizer + UndefinedBehaviorSanitizer build and its tests (build-asan/)"
	@echo "make test-tsan    ThreadSanitizer build and its tests (build-tsan/)"
	@echo "make check-format every C++ source formatted as .clang-format says"
	@echo "make fuzz         libFuzzer on the rasterizer for FUZZ_SECONDS (300)"
	@echo "make bench        speed beside BASELINE (a commit, default adaae2a: the first fast build)"
	@echo "make windows      quorvel.exe and quorvel-render.exe with MinGW-w64 (build-windows/)"
	@echo "make arm64        quorvel, quorvel-render and the unit tests for ARM64 Linux (build-arm64/)"
	@echo "make package-arm64  the ARM64 Debian package (build-arm64/quorvel_VERSION_arm64.deb)"
	@echo "make bench-arm64  the NEON span routine beside the reference under qemu (ARM64_ROUNDS, 3)"
	@echo "make install      install into PREFIX (/usr/local), stripped; DESTDIR for a staging root"
	@echo "make uninstall    remove what make install put in (same PREFIX and DESTDIR)"
	@echo "make package      a Debian package (build/quorvel_VERSION_ARCH.deb)"
	@echo "make setup        install the Debian packages building and running need"
	@echo "make setup-check  ... and those the unit tier needs (GoogleTest)"
	@echo "make setup-test   ... and those every test needs (Wine, MinGW, qemu, weston, lintian, ...)"
	@echo "make setup-windows, setup-arm64, setup-fuzz   those for one cross build or the fuzzer"
	@echo "make clean        remove every build folder"

# Only what building and running needs; the test set-up adds the rest.
setup:
	@tools/install-deps.sh

setup-check:
	@tools/install-deps.sh --check

setup-test:
	@tools/install-deps.sh --test

setup-windows:
	@tools/install-deps.sh --windows

setup-arm64:
	@tools/install-deps.sh --arm64

setup-fuzz:
	@tools/install-deps.sh --fuzz

# The programs alone.
build: setup
	@$(CONFIGURE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUORVEL_BUILD_TESTS=OFF \
		-DQUORVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The programs, the tests and the benchmarks.
build-all: setup-test
	@$(CONFIGURE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUORVEL_BUILD_TESTS=ON \
		-DQUORVEL_BUILD_BENCH=ON >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# quorvel.exe and quorvel-render.exe for 64-bit Windows, cross-compiled with MinGW-w64.
windows: setup-windows
	@$(CONFIGURE) -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
		-DQUORVEL_BUILD_TESTS=OFF -DQUORVEL_BUILD_BENCH=OFF
	@cmake --build build-windows -j $(JOBS)

# quorvel, quorvel-render and the unit tests for 64-bit ARM Linux, cross-compiled with the
# window's libraries from Debian's arm64 packages; make test runs them under qemu-aarch64.
arm64: setup-arm64
	@$(CONFIGURE) -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
		-DQUORVEL_BUILD_TESTS=ON -DQUORVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-arm64 -j $(JOBS)

# The Debian package of the ARM64 build: build-arm64/quorvel_VERSION_arm64.deb.
package-arm64: arm64
	@cd build-arm64 && cpack -G DEB

# The NEON span routine and the reference drawing the zoom cycle at 640x360 under qemu, in
# turn, ARM64_ROUNDS rounds: a proxy for ARM64 hardware (bench/arm64_routines.sh says how far
# it stands for it).
ARM64_ROUNDS ?= 3
bench-arm64: arm64
	@bench/arm64_routines.sh build-arm64/quorvel-render $(ARM64_ROUNDS)

run: build
	@$(BUILD_DIR)/quorvel

test: build-all windows arm64
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The unit tier alone: seconds, for the inner loop. It needs GoogleTest and nothing of the
# other tiers' set-up, nor the benchmarks.
check: setup-check
	@$(CONFIGURE) -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DQUORVEL_BUILD_TESTS=ON \
		-DQUORVEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) -L unit

# Into PREFIX (default /usr/local); DESTDIR, when set, is put in front of every path.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX) --strip

# What the last make install from BUILD_DIR put in, as its manifest lists, and the folders it
# made; PREFIX and DESTDIR must be those it was given.
uninstall:
	@tools/uninstall.sh $(BUILD_DIR) $(PREFIX)

# A Debian package of the programs: $(BUILD_DIR)/quorvel_VERSION_ARCH.deb.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# Sanitizer builds, each in its own folder, each running its share of the tests
# (tests/sanitizer_run.sh says which).
test-asan: setup-test
	@$(CONFIGURE) -S . -B build-asan -DCMAKE_BUILD_TYPE=Release -DQUORVEL_SANITIZE=address,undefined -DQUORVEL_BUILD_BENCH=OFF
	@cmake --build build-asan -j $(JOBS)
	@tests/sanitizer_run.sh build-asan address

test-tsan: setup-test
	@$(CONFIGURE) -S . -B build-tsan -DCMAKE_BUILD_TYPE=Release -DQUORVEL_SANITIZE=thread -DQUORVEL_BUILD_BENCH=OFF
	@cmake --build build-tsan -j $(JOBS)
	@tests/sanitizer_run.sh build-tsan thread

# libFuzzer on the rasterizer for FUZZ_SECONDS, from a copy of the kept corpus.
FUZZ_SECONDS ?= 300
fuzz: setup-fuzz
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DQUORVEL_FUZZ=ON \
		-DQUORVEL_SANITIZE=address,undefined -DQUORVEL_BUILD_BENCH=OFF
	@cmake --build build-fuzz -j $(JOBS) --target raster_fuzz
	@mkdir -p build-fuzz/corpus && cp -n tests/fuzz/corpus/* build-fuzz/corpus/
	@build-fuzz/tests/raster_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=678 -print_final_stats=1 build-fuzz/corpus

# The whole-frame and window figures run alternately with those of BASELINE (a commit,
# built beside in build-baseline/), so that the two are compared on one machine in one run.
BASELINE ?= adaae2a
BENCH_ROUNDS ?= 7
# A window round finds the frames shown by drawing candidates: half a minute each.
WINDOW_ROUNDS ?= 5
# The last commit whose Wayland frames went through SDL's window surface.
SDL_PATH_BASELINE ?= 13c9dca
bench: build-all
	@rm -rf build-baseline/src && mkdir -p build-baseline/src
	@git archive $(BASELINE) | tar -x -C build-baseline/src
	@cmake -S build-baseline/src -B build-baseline -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-baseline -j $(JOBS) --target quorvel-render quorvel >/dev/null
	@bench/compare_frames.sh build-baseline/quorvel-render $(BUILD_DIR)/quorvel-render 1910x1070 $(BENCH_ROUNDS)
	@bench/compare_frames.sh build-baseline/quorvel-render $(BUILD_DIR)/quorvel-render 3830x2150 $(BENCH_ROUNDS)
	@# What --hash adds to a frame (the workers hash their rows as they finish them).
	@bench/compare_frames.sh $(BUILD_DIR)/quorvel-render $(BUILD_DIR)/quorvel-render 1910x1070 $(BENCH_ROUNDS) "" --hash
	@# What each maker's model costs beside this processor's own instructions.
	@bench/compare_frames.sh $(BUILD_DIR)/quorvel-render $(BUILD_DIR)/quorvel-render 1910x1070 $(BENCH_ROUNDS) \
		"--approx native" "--approx intel"
	@bench/compare_frames.sh $(BUILD_DIR)/quorvel-render $(BUILD_DIR)/quorvel-render 1910x1070 $(BENCH_ROUNDS) \
		"--approx native" "--approx amd"
	@# Each worker's time, the wait for the slower one and the frames checked against the reference.
	@$(BUILD_DIR)/bench/frame_bench 1910x1070
	@$(BUILD_DIR)/bench/frame_bench 3830x2150
	@# The largest-zoom frames' cost on one thread, each frame's fastest of three draws.
	@$(BUILD_DIR)/bench/frame_cost_bench
	@# More workers than this machine has processors, modelled from every band's time on one.
	@$(BUILD_DIR)/bench/scaling_bench
	@$(BUILD_DIR)/bench/raster_bench
	@bench/window_bench.sh $(BUILD_DIR)/quorvel $(BUILD_DIR)/bench/present_bench $(BUILD_DIR)/tests/window_probe \
		build-baseline/quorvel $(WINDOW_ROUNDS)
	@# On Wayland: our presenter beside SDL's path (as SDL_PATH_BASELINE has it) and beside X11.
	@rm -rf build-sdl-path/src && mkdir -p build-sdl-path/src
	@git archive $(SDL_PATH_BASELINE) | tar -x -C build-sdl-path/src
	@cmake -S build-sdl-path/src -B build-sdl-path -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build build-sdl-path -j $(JOBS) --target quorvel >/dev/null
	@bench/wayland_bench.sh $(BUILD_DIR)/quorvel build-sdl-path/quorvel $(WINDOW_ROUNDS)

# Every C++ source formatted as .clang-format says; the generated picture opts out inside.
check-format: setup-test
	@git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
	@echo "check-format: every source is formatted"

clean:
	@rm -rf $(BUILD_DIR) build-asan build-tsan build-fuzz build-windows build-arm64 build-baseline build-sdl-path
