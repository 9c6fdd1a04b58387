# make run: install what the show needs, build, generate the media, play the show.
# make test: also the test tools, the capture tool and the Windows build,
# then every test under Xvfb: the test suite, the unit tests again under
# ASan/UBSan, and each fuzz target.
# make windows: the same show cross-built for Windows, in build-windows/.
# make release / make video: the party archive (both builds) / the whole
# show as the master MP4 and the party's video (the capture tool), in dist/.
BUILD_DIR ?= build
WINDOWS_DIR ?= build-windows
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 15

# What each goal installs and builds beyond the show; a goal's settings
# carry to the goals that it depends on.
DEPS = show
CMAKE_OPTIONS =
test sanitize-build sanitize fuzz: DEPS = show capture test windows release
test: CMAKE_OPTIONS = -DBUILD_TESTING=ON -DBOUNCEFEST_CAPTURE=ON -DBOUNCEFEST_WINDOWS_TESTS=ON
windows: DEPS = show windows
release: DEPS = show windows release
video: DEPS = show capture
video: CMAKE_OPTIONS = -DBOUNCEFEST_CAPTURE=ON

.PHONY: all deps build windows run release video test sanitize-build sanitize fuzz

all: build

deps:
	@./scripts/install-deps.sh $(DEPS)

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOUNCEFEST_WINDOWS_DIR=$(abspath $(WINDOWS_DIR)) \
	  $(CMAKE_OPTIONS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The Windows libraries come from a cache that the script fills once.
windows: deps
	prefix=$$(./scripts/build-windows-deps.sh) && \
	cmake -S . -B $(WINDOWS_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_PREFIX_PATH="$$prefix"
	cmake --build $(WINDOWS_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bouncefest

release: build windows
	cmake --build $(BUILD_DIR) --target release

video: build
	cmake --build $(BUILD_DIR) --target video

test: build windows
	./scripts/with-xvfb.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS) $(CTEST_ARGS)
	$(MAKE) sanitize
	$(MAKE) fuzz

# The unit tests and the fuzz targets in one build with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang, for libFuzzer). Leaks are not checked:
# the asset records live until exit by design, and the GL driver keeps
# memory of its own that nobody frees. Line tables are all a report needs.
SANITIZE_DIR = build-sanitize
sanitize-build: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DBOUNCEFEST_SANITIZE=ON -DBUILD_TESTING=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

sanitize: sanitize-build
	ASAN_OPTIONS=detect_leaks=0 ./scripts/with-xvfb.sh ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -L unit

# Each libFuzzer target for FUZZ_SECONDS, from the committed seeds.
fuzz: sanitize-build
	./scripts/with-xvfb.sh ./scripts/run-fuzzers.sh $(SANITIZE_DIR) $(FUZZ_SECONDS)
