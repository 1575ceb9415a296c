# Convenience wrapper around CMake: `make run` builds and starts the program,
# `make test` builds and runs every test.

BUILD_DIR ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test sanitize bench install clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	./$(BUILD_DIR)/sparsim

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --parallel $(JOBS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	cmake -S . -B build-sanitize -DSPARSIM_SANITIZE=ON
	cmake --build build-sanitize --parallel $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure --parallel $(JOBS)

# Timings of the inner loops (needs Google Benchmark, libbenchmark-dev).
bench: build
	./$(BUILD_DIR)/sparsim_bench

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) build-sanitize
