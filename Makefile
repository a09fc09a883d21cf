# Wraps CMake: make demo | test | test-asan | bench | fuzz | install | package | clean.

BUILD     ?= build
ASAN      ?= build-asan
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX    ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_JOBS    ?= 1

# Installs the Debian packages of the named groups that are missing (see
# tools/deps); nothing when all are there.
DEPS      = bash tools/deps

# Quieter nested makes: CMake's progress without "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: all build configure demo test test-asan bench fuzz install package clean

all: build

configure:
	$(DEPS) build
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The demo needs the programs alone: not the tests, the pages or the
# bench-only builds.
demo:
	$(DEPS) build sandbox
	$(MAKE) configure
	cmake --build $(BUILD) -j $(JOBS) --target programs
	bash demo/run.sh $(BUILD)

test:
	$(DEPS) build sandbox pages
	$(MAKE) build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan:
	$(DEPS) build sandbox pages
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)

# BENCH_QUICK=1: small inputs and three runs, docs/benchmarks.md and docs/bench.svg left alone.
bench:
	$(DEPS) build sandbox bench
	$(MAKE) build
	bash bench/run.sh $(BUILD)

# FUZZ_SECONDS per program (default 60), FUZZ_JOBS programs at a time.
fuzz:
	$(DEPS) build fuzz
	$(MAKE) build
	BUILD=$(BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) bash fuzz/run.sh

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The .deb and the .tar.gz, alone in $(BUILD)/package/.
package:
	$(DEPS) build pages package
	$(MAKE) build
	rm -f $(BUILD)/package/*.deb $(BUILD)/package/*.tar.gz
	cpack --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/package

clean:
	rm -rf $(BUILD) $(ASAN) build-fuzz
