# Two commands do all the set-up: `make run` and `make test`.
JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
FUZZ_BUILD := build-fuzz
FILE ?=
# `make fuzz`: each target runs FUZZ_TIME seconds; FUZZ_TARGETS picks some.
FUZZ_TIME ?= 60
FUZZ_TARGETS ?= bmp jpeg rcfile charcode editor

.PHONY: all deps build build-asan run test test-plain test-asan format format-check install bench \
	fuzz fuzz-build fuzz-merge clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/Makefile: CMakeLists.txt
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/Makefile
	cmake --build $(BUILD) -j$(JOBS)

$(ASAN_BUILD)/Makefile: CMakeLists.txt
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKRN_SANITIZE=ON

build-asan: deps $(ASAN_BUILD)/Makefile
	cmake --build $(ASAN_BUILD) -j$(JOBS)

run: build
	scripts/run-quelmo $(BUILD)/quelmo $(FILE)

test: deps format-check test-plain test-asan

# Each suite run marks what it starts with KRN_TEST_RUN (the harness's X
# servers and the programs under test inherit it); an X server or quelmo of
# the run still running once the suite has ended fails the run.
LEAKCHECK := $(CURDIR)/tests/harness/leakcheck.sh

test-plain: build
	run=plain-$$$$-$$(date +%s%N); \
	(cd $(BUILD) && KRN_TEST_RUN=$$run ctest -j$(JOBS) --output-on-failure); st=$$?; \
	$(LEAKCHECK) $$run || st=1; exit $$st

test-asan: build-asan
	run=asan-$$$$-$$(date +%s%N); \
	(cd $(ASAN_BUILD) && KRN_TEST_RUN=$$run \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	ctest -j$(JOBS) --output-on-failure); st=$$?; \
	$(LEAKCHECK) $$run || st=1; exit $$st

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

format-check: deps
	@files=$$(git ls-files '*.cpp' '*.h'); \
	if [ -n "$$files" ] && ! clang-format --dry-run --Werror $$files; then \
	  echo "Formatting differs: run 'make format'." >&2; exit 1; fi

# The editor's benchmarks, then the whole memo pad typed into through XTEST.
bench: deps build
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DKRN_BENCH=ON -DKRN_TESTS=OFF
	cmake --build build-bench -j$(JOBS)
	build-bench/bench_inputmltwnd
	bench/quelmo-keys.sh $(BUILD)/quelmo build-bench/bench_quelmo

# The fuzz targets need clang and its libFuzzer runtime; only they do.
fuzz-build:
	@scripts/install-deps --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKRN_FUZZ=ON -DKRN_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

fuzz: fuzz-build
	FUZZ_TIME=$(FUZZ_TIME) scripts/run-fuzz $(FUZZ_BUILD) $(FUZZ_TARGETS)

# Folds what the runs found into the committed corpora, minimized.
fuzz-merge: fuzz-build
	scripts/run-fuzz $(FUZZ_BUILD) --merge $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench $(FUZZ_BUILD)
