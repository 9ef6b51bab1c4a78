# Wraps the README's commands.  `make test` and `make demo` install the
# Debian packages the build needs when they are missing.

BUILD ?= build
JOBS ?= 2
PACKAGES = cmake g++ make pkg-config googletest libgtest-dev libgmock-dev \
	libpocketsphinx-dev libsphinxbase-dev pocketsphinx-en-us pocketsphinx-testdata \
	libsndfile1-dev libsamplerate0-dev portaudio19-dev espeak-ng sox binutils python3

SUDO = $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build test demo sanitize bench clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "installing:" $$missing; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKHAPI_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Recognises the packaged recording "go forward ten meters" against a
# small command grammar, on the default US English configuration.
DEMO_WAV = /usr/share/pocketsphinx/test/data/goforward.raw
demo: build
	cd $(BUILD) && LD_LIBRARY_PATH=lib ./bin/khapi-cli data/khapi.conf \
		-g "GO FORWARD TEN METERS" -g "GO (FORWARD | BACKWARD) (ONE | TWO | THREE | FOUR | FIVE | SIX | SEVEN | EIGHT | NINE | TEN) [METER | METERS]" \
		$(DEMO_WAV)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKHAPI_SANITIZE=ON -DKHAPI_BENCH=OFF -DKHAPI_WERROR=ON
	cmake --build build-asan -j$(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j$(JOBS)

bench: build
	cd $(BUILD) && for b in bin/bench_*; do echo "== $$b"; ./$$b; done

clean:
	rm -rf $(BUILD) build-asan
