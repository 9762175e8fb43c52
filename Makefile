# make run   - install what is missing, build, start the game from here
# make test  - the same set-up, then the whole test suite headless
# make install PREFIX=/usr DESTDIR=/tmp/pkg - build, then install under DESTDIR/PREFIX
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run install test test-sanitize fuzz mutate assets bench whole-game level-previews clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/zorbel

PREFIX ?= /usr/local
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

test: build
	scripts/headless ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_DIR ?= build-sanitize
# Mesa unloads its GL driver when SDL closes the display, before the leak check
# runs; keeping it loaded lets the check see the driver's memory as reachable.
# The timing-bound e2e scenarios run in `make test`; here the monkey test plays
# the sanitized game.
SANITIZE_ENV = LD_PRELOAD=$(firstword $(wildcard /usr/lib/*/dri/swrast_dri.so)) \
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:verify_asan_link_order=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Debug -DZORBEL_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j $(JOBS)
	$(SANITIZE_ENV) scripts/headless ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -LE e2e
	$(SANITIZE_ENV) ZORBEL_MONKEY_SECONDS=120 scripts/headless ctest --test-dir $(SANITIZE_DIR) --output-on-failure -R e2e_monkey

# Every file reader under libFuzzer (clang build in build-fuzz) for FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz: deps
	tools/fuzz/run $(FUZZ_SECONDS)

# Plants one small fault at a time in src/ and reports which ones the tests
# catch (docs/testing.md). Minutes per fault here, so not part of `make test`.
mutate: deps
	python3 tools/mutate/mutate.py

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
