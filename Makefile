# Wraps CMake: make demo | test | test-asan | bench | fuzz | install | package | clean.

BUILD     ?= build
ASAN      ?= build-asan
JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX    ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_JOBS    ?= 1

# Quieter nested makes: CMake's progress without "Entering directory" lines.
MAKEFLAGS += --no-print-directory

.PHONY: all build demo test test-asan bench fuzz install package clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	bash demo/run.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN) --output-on-failure -j $(JOBS)

# BENCH_QUICK=1: small inputs and three runs, README and docs/bench.svg left alone.
bench: build
	bash bench/run.sh $(BUILD)

# FUZZ_SECONDS per program (default 60), FUZZ_JOBS programs at a time.
fuzz: build
	BUILD=$(BUILD) FUZZ_SECONDS=$(FUZZ_SECONDS) FUZZ_JOBS=$(FUZZ_JOBS) bash fuzz/run.sh

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The .deb and the .tar.gz, alone in $(BUILD)/package/.
package: build
	rm -f $(BUILD)/package/*.deb $(BUILD)/package/*.tar.gz
	cpack --config $(BUILD)/CPackConfig.cmake -B $(BUILD)/package

clean:
	rm -rf $(BUILD) $(ASAN) build-fuzz
