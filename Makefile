# The two front doors: `make demo` and `make test`. Each installs what it needs,
# configures and builds.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps configure build install package windows-package test windows windows-test test-sanitize test-tsan demo bench fuzz fuzz-smoke format clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Programs (the library beside them, where the host loads it), the sample
# plugins, manual pages and bash completion under PREFIX; DESTDIR is honoured.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package of the build (build/drwa_VERSION_ARCH.deb), checked by
# lintian when it is there: errors fail.
package: build
	cd $(BUILD) && cpack -G DEB
	@deb=$$(ls -t $(BUILD)/drwa_*.deb | head -n 1); echo "package: $$deb"; \
	if command -v lintian >/dev/null; then lintian --fail-on error "$$deb"; fi

# Then the Windows build, when the cross compiler is there, and its tests
# under Wine, when Wine is there (install-deps installs both).
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@if ! command -v $(MINGW_CXX) >/dev/null; then \
		echo "make test: no $(MINGW_CXX), Windows build skipped"; \
	elif ! command -v wine >/dev/null; then \
		$(MAKE) --no-print-directory windows && echo "make test: no Wine, Windows tests skipped"; \
	else \
		$(MAKE) --no-print-directory windows-test; \
	fi

# The 32-bit Windows build of the same project with Debian's mingw-w64:
# drwa_plugin.dll, drwa-host.exe and the test programs, as .exe; Release, as
# shipped. (A build folder configured from another source folder is made
# afresh.)
WIN_BUILD ?= build-win
MINGW_CXX := i686-w64-mingw32-g++-posix
windows: deps
	@grep -qsx 'CMAKE_HOME_DIRECTORY:INTERNAL=$(CURDIR)' $(WIN_BUILD)/CMakeCache.txt || \
		rm -rf $(WIN_BUILD)/CMakeCache.txt $(WIN_BUILD)/CMakeFiles
	cmake -S . -B $(WIN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
		-DDRWA_LINUX_HOST=$(CURDIR)/$(BUILD)/bin/drwa-host
	cmake --build $(WIN_BUILD) -j $(JOBS)

# The Windows zip and installer (build-win/package/), from the Windows build.
windows-package: windows
	scripts/windows-package $(WIN_BUILD)

# Twice the cores: the programs under Wine mostly wait on it.
WIN_TEST_JOBS ?= $(shell echo $$(($(JOBS) * 2)))
windows-test: windows
	scripts/windows-test $(WIN_BUILD) $(WIN_TEST_JOBS)

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DDRWA_SANITIZE=ON -DDRWA_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
		ctest --output-on-failure -j $(JOBS)

# The receive pool's tests under ThreadSanitizer: no data race between the
# workers and the host's thread.
TSAN_BUILD ?= build-tsan
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DDRWA_TSAN=ON -DDRWA_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target receive_pool_test receive_driver_test drwa_plugin
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
		ctest --output-on-failure -R '^(Pool|Receive)\.'

demo: build
	scripts/demo $(BUILD)

bench: build
	scripts/bench $(BUILD)

# The libFuzzer targets of fuzz/ (clang, with AddressSanitizer and
# UndefinedBehaviorSanitizer).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 15
fuzz:
	@scripts/install-deps --fuzz
	cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_BUILD_TYPE=Debug -DDRWA_FUZZ=ON -DDRWA_SANITIZE=ON -DDRWA_TESTS=OFF -DDRWA_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets

# Each fuzz target for FUZZ_SECONDS over its seeds; a finding fails the run and
# its input is left under $(FUZZ_BUILD)/fuzz-findings.
fuzz-smoke: fuzz
	scripts/fuzz-smoke $(FUZZ_BUILD) $(FUZZ_SECONDS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD)
