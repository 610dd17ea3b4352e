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

# Windows: cross-built with mingw-w64 into build-windows/ (its tools and libraries come from
# scripts/install-windows-deps and scripts/build-windows-deps), tests run under wine. The
# shipped data is the Linux generator's, the same bytes; the Linux edbtool is what the
# byte-identity test compares edbtool.exe with.
.PHONY: windows windows-deps windows-test
windows-deps:
	scripts/install-windows-deps
	scripts/build-windows-deps

windows: windows-deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j$(JOBS)
	cmake --preset default >/dev/null
	cmake --build --preset default -j$(JOBS) --target run_data edbtool
	find build/run -mindepth 1 -maxdepth 1 ! -name vinkabo -exec cp -rn {} build-windows/run/ \;

windows-test: windows
	cd build-windows && ctest --output-on-failure -j$(JOBS)
