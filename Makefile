# Thin wrapper over the CMake presets. `make demo` and `make test` work on a fresh Debian machine.
.PHONY: all deps build test test-asan demo bench format clean

BUILD := build/default
DEMO_OUT := out/demo-lit.png

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

test: build
	@ctest --preset default

test-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan

demo: build
	@mkdir -p out
	@scripts/demo $(BUILD) $(DEMO_OUT)

bench: build
	@$(BUILD)/bench/relight_bench
	@$(BUILD)/bench/relight_apply_bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build out
