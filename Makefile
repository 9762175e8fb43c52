# make run   - install what is missing, build, start the game from here
# make test  - the same set-up, then the whole test suite headless
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test test-sanitize assets bench whole-game level-previews clean

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

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_DIR ?= build-sanitize
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DZORBEL_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	scripts/headless ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

assets:
	@scripts/install-deps --assets
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)
	@for g in tools/*/generate; do echo "== $$g"; BUILD_DIR=$(BUILD_DIR) $$g $(BUILD_DIR) || exit 1; done

# Benchmarks with repetitions: a median/min/max table in build/bench.txt.
bench: build
	scripts/headless scripts/bench $(BUILD_DIR)

# A 60 s two-player match and the idle menu, measured from outside.
whole-game: build
	scripts/headless scripts/whole-game-run $(BUILD_DIR)

level-previews: build
	scripts/headless cmake --build $(BUILD_DIR) --target level-previews

clean:
	rm -rf $(BUILD_DIR)
