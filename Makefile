# Convenience wrapper around CMake: `make run` builds and starts the program,
# `make test` builds and runs every test.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_CXX ?= clang++
FUZZ_RUNS ?= 20000
FUZZ_TARGETS = number_parse data_reader dialogue sampling
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test sanitize fuzz-build fuzz bench install clean

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
	cmake -S . -B $(SANITIZE_DIR) -DSPARSIM_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) --parallel $(JOBS)
	ctest --test-dir $(SANITIZE_DIR) --output-on-failure --parallel $(JOBS)

# Builds the libFuzzer targets with clang++ and runs each for FUZZ_RUNS
# inputs from its seed corpus in fuzz/corpus; new inputs go to a scratch
# corpus in the build folder. Long runs are started by hand (see README).
fuzz-build:
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) -DSPARSIM_FUZZ=ON \
	  -DSPARSIM_BUILD_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_DIR) --parallel $(JOBS) \
	  $(foreach t,$(FUZZ_TARGETS),--target $(t)_fuzz)

fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do \
	  rm -rf $(FUZZ_DIR)/corpus/$$t && mkdir -p $(FUZZ_DIR)/corpus/$$t && \
	  dict=; [ -f fuzz/$$t.dict ] && dict=-dict=fuzz/$$t.dict; \
	  $(FUZZ_DIR)/fuzz/$${t}_fuzz -runs=$(FUZZ_RUNS) -seed=1 -timeout=10 $$dict \
	    $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t || exit 1; \
	done

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
	bench/replicates.sh build-bench/sparsim

install: build
	cmake --install $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) build-bench
