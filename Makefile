# make run   - install what is missing, build, start the game from here
# make test  - the same set-up, then the whole test suite headless
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test assets clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/zorbel

test: build
	scripts/headless ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

assets:
	@scripts/install-deps --assets
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@for g in tools/*/generate; do echo "== $$g"; BUILD_DIR=$(BUILD_DIR) $$g $(BUILD_DIR) || exit 1; done

clean:
	rm -rf $(BUILD_DIR)
