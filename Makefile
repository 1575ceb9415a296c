# Convenience wrapper around CMake: `make run` builds the program alone and
# starts it; `make test` builds everything and runs every test. Both first
# check for the Debian packages they need (tools/check_deps.sh), and both
# configure the build folder again whenever its last configure failed.

BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_CXX ?= clang++
FUZZ_RUNS ?= 20000
FUZZ_TARGETS = number_parse data_reader dialogue sampling
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all build run test sanitize fuzz-build fuzz bench check-cross check-cross-armhf install clean

all: build

# $(call configure,DIR,TESTS,FLAGS): configures DIR unless its last configure
# succeeded (the stamp .configured) and nothing asks for a new one: flags in
# CMAKE_FLAGS, or tests wanted (TESTS = ON) where they are not configured. A
# fresh folder without TESTS = ON leaves the tests out, so that the program
# alone needs no Google Test. A failed configure leaves no stamp, and its
# cache and compiler checks go, so the next attempt starts afresh.
define configure
	@if [ ! -f $(1)/.configured ] || [ ! -f $(1)/CMakeCache.txt ] || [ -n "$(strip $(CMAKE_FLAGS) $(3))" ] || \
	    { [ "$(2)" = ON ] && ! grep -qx 'SPARSIM_BUILD_TESTS:BOOL=ON' $(1)/CMakeCache.txt; }; then \
	  tests=; \
	  if [ "$(2)" = ON ]; then tests=-DSPARSIM_BUILD_TESTS=ON; \
	  elif [ ! -f $(1)/CMakeCache.txt ]; then tests=-DSPARSIM_BUILD_TESTS=OFF; fi; \
	  rm -f $(1)/.configured; \
	  if cmake -S . -B $(1) $$tests $(3) $(CMAKE_FLAGS); then touch $(1)/.configured; \
	  else rm -rf $(1)/CMakeCache.txt $(1)/CMakeFiles/[0-9]*; exit 1; fi; \
	fi
endef

build:
	@tools/check_deps.sh run
	$(call configure,$(BUILD_DIR),,)
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

# The program runs in this folder, so the files it writes land here (git
# ignores *.ADF and *.OUT at the top). Ending it with Ctrl-C or at the end of
# its input is a normal way out: make adds no "Error" line of its own.
run:
	@tools/check_deps.sh run
	$(call configure,$(BUILD_DIR),,)
	cmake --build $(BUILD_DIR) --parallel $(JOBS) --target sparsim
	@trap : INT TERM; ./$(BUILD_DIR)/sparsim; status=$$?; \
	case $$status in 0 | 1 | 130 | 143) ;; *) exit $$status ;; esac

test:
	@tools/check_deps.sh test
	$(call configure,$(BUILD_DIR),ON,)
	cmake --build $(BUILD_DIR) --parallel $(JOBS)
	ctest --test-dir $(BUILD_DIR) --output-on-failure --parallel $(JOBS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@tools/check_deps.sh test
	$(call configure,$(SANITIZE_DIR),ON,-DSPARSIM_SANITIZE=ON)
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
	@tools/check_deps.sh run
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DSPARSIM_BUILD_TESTS=OFF
	cmake --build build-bench --parallel $(JOBS) --target sparsim_engine_bench
	./build-bench/sparsim_engine_bench $(BENCH_ARGS)
	cmake --build build-bench --parallel $(JOBS)
	if [ -x build-bench/sparsim_bench ]; then ./build-bench/sparsim_bench; fi
	bench/replicates.sh build-bench/sparsim
	bench/bindings.sh build-bench

# The same bytes on aarch64: the program cross-built for it and run under
# qemu-user over the corpus of tools/corpus.sh, every file compared with this
# machine's; it fails on any difference. About 7 minutes on two busy cores
# once built (docs/portability.md).
check-cross:
	tools/check_cross.sh

# The same comparison for 32-bit ARM, whose long double is only double: it
# counts what differs there (docs/portability.md) and fails, since files do.
check-cross-armhf:
	tools/check_cross.sh armhf

# PREFIX=DIR installs under DIR (e.g. PREFIX=$$HOME/.local puts sparsim in
# ~/.local/bin); without it, under the configured prefix (/usr/local).
PREFIX ?=
install: build
	cmake --install $(BUILD_DIR) $(if $(PREFIX),--prefix $(PREFIX))

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) build-bench build-check-native build-aarch64 \
	  build-check-corpus
