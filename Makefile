# make run: install what is missing, build, generate the media, play the show.
# make test: the same install and build, then every test under Xvfb: the
# test suite, the unit tests again under ASan/UBSan, and each fuzz target.
# make release / make video: the same install and build, then the party
# archive / the whole show as an MP4, in dist/.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 30

.PHONY: all deps build run release video test sanitize-build sanitize fuzz

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bouncefest

release: build
	cmake --build $(BUILD_DIR) --target release

video: build
	cmake --build $(BUILD_DIR) --target video

test: build
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
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DBOUNCEFEST_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)

sanitize: sanitize-build
	ASAN_OPTIONS=detect_leaks=0 ./scripts/with-xvfb.sh ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -L unit

# Each libFuzzer target for FUZZ_SECONDS, from the committed seeds.
fuzz: sanitize-build
	./scripts/with-xvfb.sh ./scripts/run-fuzzers.sh $(SANITIZE_DIR) $(FUZZ_SECONDS)
