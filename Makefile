# Wraps the README's commands.  `make test` and `make demo` install the
# Debian packages the build needs when they are missing.

BUILD ?= build
JOBS ?= 2
# What the library and the tool are built from (make install needs only
# these), and what their tests, fuzzers and benchmarks need besides.
BUILD_PACKAGES = cmake g++ make pkg-config binutils \
	libpocketsphinx-dev libsphinxbase-dev pocketsphinx-en-us \
	libsndfile1-dev libsamplerate0-dev portaudio19-dev libasound2-dev libjack-jackd2-dev flite1-dev \
	libcli11-dev nlohmann-json3-dev libcairo2-dev libcpp-httplib-dev
TEST_PACKAGES = googletest libgtest-dev libgmock-dev pocketsphinx-testdata \
	espeak-ng sox python3 python3-jsonschema praat libxml2-utils clang clang-format libclang-rt-14-dev \
	festival festvox-us-slt-hts festvox-kallpc16k chromium python3-websocket \
	python3-numpy python3-pytest python3-setuptools python3-wheel python3-venv
PACKAGES = $(BUILD_PACKAGES) $(TEST_PACKAGES)
PREFIX ?= /usr/local
# The Windows cross build and its test run under Wine (make windows,
# make windows-test) need these besides PACKAGES; make test does not.
WINDOWS_PACKAGES = mingw-w64 g++-mingw-w64-x86-64 wine wine64 dpkg-dev \
	autoconf automake libtool bison cmake make pkg-config googletest \
	pocketsphinx-en-us pocketsphinx-testdata binutils
WINDOWS_BUILD ?= build-windows
KHAPI_WIN_DEPS ?= $(WINDOWS_BUILD)/deps

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build-deps build test demo install sanitize tsan fuzz bench clean windows-deps windows windows-test

all: build

# The Windows packages come without their recommendations: Wine's pull in
# libasound2-plugins, whose ALSA plugins leak where LeakSanitizer watches
# the sound-card tests, and Wine runs the tests headless without the rest.
deps windows-deps build-deps: WANT = $(if $(filter windows-deps,$@),$(WINDOWS_PACKAGES),$(if $(filter build-deps,$@),$(BUILD_PACKAGES),$(PACKAGES)))
deps windows-deps build-deps: APT_OPTIONS = $(if $(filter windows-deps,$@),--no-install-recommends)
deps windows-deps build-deps:
	@missing=$$(for p in $(WANT); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $(APT_OPTIONS) $$missing; \
	fi

# The test build: the engine's fault injection, the suite and the
# benchmarks besides the library and the tool.
TEST_BUILD = -DKHAPI_FAULT_INJECTION=ON
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKHAPI_WERROR=ON $(TEST_BUILD) -DKHAPI_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Assesses and aligns the packaged recording "go forward ten meters" on
# the default configuration and writes a TextGrid and plots into
# $(BUILD)/demo.
DEMO_WAV = /usr/share/pocketsphinx/test/data/goforward.raw
DEMO_TEXT = go forward ten meters
demo: build
	@mkdir -p $(BUILD)/demo
	@cd $(BUILD)/demo && ../bin/khapi assess $(DEMO_WAV) --text "$(DEMO_TEXT)" --plot assess.svg
	@cd $(BUILD)/demo && ../bin/khapi align $(DEMO_WAV) --text "$(DEMO_TEXT)" \
		--textgrid goforward.TextGrid --plot align.svg
	@echo "written: $(abspath $(BUILD))/demo/goforward.TextGrid (open it in Praat with $(DEMO_WAV))"
	@echo "         $(abspath $(BUILD))/demo/assess.svg and $(abspath $(BUILD))/demo/align.svg"

# Installs the library, the tool and the default configuration under PREFIX,
# from the plain build, which has no fault injection and no tests.
install: build-deps
	cmake -S . -B build-ship -DCMAKE_BUILD_TYPE=Release -DKHAPI_WERROR=ON
	cmake --build build-ship -j$(JOBS)
	cmake --install build-ship --prefix $(PREFIX)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKHAPI_SANITIZE=ON -DKHAPI_WERROR=ON $(TEST_BUILD)
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

# Four threads through the library at once under ThreadSanitizer.
tsan: deps
	cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKHAPI_TSAN=ON $(TEST_BUILD)
	cmake --build build-tsan -j$(JOBS) --target khapi_tests
	cd build-tsan && TSAN_OPTIONS=halt_on_error=1 ./bin/khapi_tests --gtest_filter='Threads.*'

# Each libFuzzer target for FUZZ_SECONDS seconds, built with clang and the
# address and undefined-behaviour sanitizers (fuzz/run.sh says more).
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKHAPI_FUZZ=ON
	cmake --build build-fuzz -j$(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh build-fuzz

bench: build
	cd $(BUILD) && for b in bin/bench_*; do echo "== $$b"; ./$$b; done
	cd $(BUILD) && echo "== bench/assess_real.py" && python3 $(CURDIR)/bench/assess_real.py bin/khapi
	cd $(BUILD) && echo "== bench/assess_errors.py" && python3 $(CURDIR)/bench/assess_errors.py bin/khapi bench-data/reading
	cd $(BUILD) && echo "== bench/bench_serve.py" && python3 $(CURDIR)/bench/bench_serve.py bin/khapi

# 64-bit Windows DLLs, import libraries, the khapi tool and test programs, cross-built
# with MinGW-w64; the engine's dependencies are built once from Debian's
# source packages into $(KHAPI_WIN_DEPS) (windows/build-deps.sh).
windows: windows-deps
	nice -n 10 windows/build-deps.sh $(KHAPI_WIN_DEPS)
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		-DKHAPI_WIN_PREFIX=$(abspath $(KHAPI_WIN_DEPS))/prefix \
		-DCMAKE_BUILD_TYPE=Release -DKHAPI_WERROR=ON $(TEST_BUILD)
	nice -n 10 cmake --build $(WINDOWS_BUILD) -j$(JOBS)
	windows/ship.sh $(WINDOWS_BUILD) $(KHAPI_WIN_DEPS)

# The library's, the engine's and the tool's tests under Wine, headless,
# and the packaged recording recognised and aligned by both builds,
# compared (this needs the Linux build of the C example and the tool too).
windows-test: windows deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKHAPI_WERROR=ON $(TEST_BUILD) -DKHAPI_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS) --target khapi_goforward khapi_sysdict khapi
	windows/test.sh $(WINDOWS_BUILD) $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan build-fuzz build-ship $(WINDOWS_BUILD)
