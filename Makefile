# Thin front door over CMake presets. `make test` is what CI runs.
JOBS ?= 2

.PHONY: all build test asan-test fuzz bench run clean

all: build

build:
	cmake --preset default >/dev/null
	cmake --build --preset default -j$(JOBS)

test: build
	cd build && ctest --output-on-failure -j$(JOBS)

asan-test:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j$(JOBS)
	cd build-asan && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j$(JOBS)

# Builds the fuzz targets with clang and runs each briefly on its corpus.
fuzz:
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j$(JOBS) --target fuzz_all
	scripts/run-fuzz build-fuzz $(FUZZ_SECONDS)

bench: build
	scripts/run-bench build

run: build
	cd build/run && ./vinkabo

clean:
	rm -rf build build-asan build-fuzz
