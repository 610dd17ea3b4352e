# Thin front door over CMake presets. `make test` is what CI runs.
JOBS ?= 2

.PHONY: all build test asan-test fuzz bench clean mutation-check

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

# Each bug of tests/mutations.txt in a scratch copy (build-mutation/), one at a time:
# which test catches it. Not part of `make test`; run it before a change is done.
mutation-check:
	JOBS=$(JOBS) scripts/mutation-check

# ---- Running: the user's own run directory -------------------------------------------
# build/run is only the template the build makes (the program beside freshly drawn sample
# data). The program runs from the user's copy, $XDG_DATA_HOME/vinkabo, which the same
# launcher the package installs makes on first use and keeps (tables, icons, sounds) ever
# after; `make clean` and rebuilds never reach it.
.PHONY: run build-run reset-run
LAUNCHER = VINKABO_TEMPLATE=$(CURDIR)/build/run $(CURDIR)/tools/launcher/vinkabo.sh

# Only what the program needs, so the first window comes without the tests' build.
build-run:
	cmake --preset default >/dev/null
	cmake --build --preset default -j$(JOBS) --target vinkabo run_data

# A build/run from before the user's copy existed may hold the user's favorites: it
# seeds the new copy before the build draws the template afresh.
run:
	@if [ -x build/run/vinkabo ] && [ ! -d "$$($(LAUNCHER) --where)" ]; then $(LAUNCHER) --prepare; fi
	$(MAKE) --no-print-directory build-run
	$(LAUNCHER)

# Puts the sample tables back in the user's copy, after moving the user's aside with a
# time stamp; asks first unless YES=1.
reset-run: build-run
	$(LAUNCHER) --reset $(if $(filter 1,$(YES)),--yes)

# ---- Packages -------------------------------------------------------------------------
# `make package`: the .deb and the portable .tar.gz (CPack) in build/packages/.
# `make install`: the .deb's layout under PREFIX (DESTDIR for staging), launcher included.
.PHONY: package install
PREFIX ?= /usr/local

package: build-run
	cmake --build --preset default -j$(JOBS) --target app_icons edbtool
	cd build && LC_ALL=C.UTF-8 cpack  # the archiver reads the data's Chinese names in UTF-8

install: build-run
	cmake --build --preset default -j$(JOBS) --target app_icons edbtool
	cmake --install build --component system --prefix $(PREFIX) --strip

clean:
	rm -rf build build-asan build-fuzz

# Windows: cross-built with mingw-w64 into build-windows/ (its tools and libraries come from
# scripts/install-windows-deps and scripts/build-windows-deps), tests run under wine. The
# shipped data and the program's icon are the Linux generator's, the same bytes; the Linux
# edbtool is what the byte-identity test compares edbtool.exe with.
.PHONY: windows windows-deps windows-package windows-installer windows-test
windows-deps:
	scripts/install-windows-deps
	scripts/build-windows-deps

windows: windows-deps
	cmake --preset default >/dev/null
	cmake --build --preset default -j$(JOBS) --target run_data edbtool test_wine_window test_wine_installer windows_icon app_icons pinyin_table
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j$(JOBS)
	find build/run -mindepth 1 -maxdepth 1 ! -name vinkabo -exec cp -rn {} build-windows/run/ \;

# build-windows/vinkabo-windows.zip: the program and its data in one folder.
windows-package: windows
	scripts/package-windows build-windows

# build-windows/vinkabo-<version>-setup.exe: the per-user installer (NSIS), made from the
# same folder as the zip.
windows-installer: windows-package
	scripts/installer-windows build-windows

# The real-window test starts the program from the unzipped package; the installer's test
# installs, upgrades and removes the setup.
windows-test: windows-installer
	cd build-windows && ctest --output-on-failure -j$(JOBS)
