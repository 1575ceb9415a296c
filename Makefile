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

# Figures of the sampling engine against its reference loop, and of the walk;
# then the timings of the inner loops when Google Benchmark (libbenchmark-dev)
# is installed. BENCH_ARGS="10 all 3": a tenth of the points, best of 3 runs.
BENCH_ARGS ?=
bench:
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSPARSIM_BUILD_TESTS=OFF
	cmake --build build-bench --parallel $(JOBS) --target sparsim_engine_bench
	./build-bench/sparsim_engine_bench $(BENCH_ARGS)
	cmake --build build-bench --parallel $(JOBS)
	if [ -x build-bench/sparsim_bench ]; then ./build-bench/sparsim_bench; fi

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-bench
