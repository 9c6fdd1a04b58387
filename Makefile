# make run: install what is missing, build, generate the media, play the show.
# make test: the same install and build, then every test under Xvfb.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/bouncefest

test: build
	./scripts/with-xvfb.sh ctest --test-dir $(BUILD_DIR) --output-on-failure $(CTEST_ARGS)
