# Thin wrapper over CMake: `make run` and `make test` do all the set-up themselves.

BUILD_DIR ?= build
BUILD_TYPE ?= Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all setup setup-test build run test clean

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

clean:
	@rm -rf $(BUILD_DIR)
