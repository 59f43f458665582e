# Thin wrapper over the CMake presets. `make demo` and `make test` work on a fresh Debian machine.
# `make test` is what CI runs: the tests, the tests again under the sanitizers, and short fuzz runs.
.PHONY: all deps build install test test-default test-asan fuzz demo bench format clean install-gimp-user

# The presets build with two jobs each; make itself runs one step at a time.
.NOTPARALLEL:

BUILD := build/default
DEMO_OUT := out/demo-lit.png

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

# The program, its module, the shipped styles, the manual page and bash completion under PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

test: test-default test-asan fuzz

test-default: build
	@ctest --preset default

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

# Each fuzzer for FUZZ_SECONDS on its seed corpus.
FUZZ_SECONDS ?= 30
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/fuzz $(FUZZ_SECONDS)

demo: build
	@mkdir -p out
	@scripts/demo $(BUILD) $(DEMO_OUT)

bench: build
	@$(BUILD)/bench/relight_bench
	@$(BUILD)/bench/relight_apply_bench

# The GIMP plug-in into the user's GIMP plug-in folder.
install-gimp-user: build
	@cmake --build --preset default --target install-gimp-user

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build out
