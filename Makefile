# Thin wrapper over CMake: `make run` and `make test` do all the set-up themselves.

BUILD_DIR ?= build
BUILD_TYPE ?= Release
MAKEFLAGS += --no-print-directory
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup setup-test build run test bench clean

all: build

setup:
	@tools/install-deps.sh

setup-test:
	@tools/install-deps.sh --test

$(BUILD_DIR)/CMakeCache.txt:
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: setup $(BUILD_DIR)/CMakeCache.txt
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@$(BUILD_DIR)/quorvel

test: setup-test build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: setup-test build
	@$(BUILD_DIR)/bench/frame_bench 1910x1070
	@$(BUILD_DIR)/bench/frame_bench 3830x2150
	@$(BUILD_DIR)/quorvel-render --size 1910x1070 --frames 1824 --save none --bench
	@$(BUILD_DIR)/quorvel-render --size 3830x2150 --frames 1824 --save none --bench
	@$(BUILD_DIR)/bench/raster_bench
	@bench/window_bench.sh $(BUILD_DIR)/quorvel $(BUILD_DIR)/bench/present_bench $(BUILD_DIR)/tests/window_probe

clean:
	@rm -rf $(BUILD_DIR)
