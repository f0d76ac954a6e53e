# The two set-up commands: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test
OPT_DIR := build/opt
FUZZ_DIR := build/fuzz

# The sanitizer builds are optimised lightly, with line tables only: enough for the
# sanitizers' reports, at a fraction of the build and run time of -O0 with full debug info.
SAN_FLAGS := -O1 -g1

.PHONY: run test deps release test-build opt-build fuzz-build clean

deps:
	@scripts/setup.sh

# The game and its data set only: no tests, benchmarks or fuzz targets.
release: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DGAME_ONLY=ON >/dev/null
	@cmake --build $(RELEASE_DIR) --target stealth dataset -j $(JOBS)

run: release
	cd $(RELEASE_DIR)/run && ../stealth

# The libFuzzer targets (clang), for fuzzing by hand; `make test` replays their corpora in the
# sanitizer build instead.
fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=$(SAN_FLAGS)" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$(SAN_FLAGS)" -DFUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

# Sanitizers: every test but the long play runs, and the fuzz targets over their corpora.
test-build: deps
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  "-DCMAKE_C_FLAGS_DEBUG=$(SAN_FLAGS)" "-DCMAKE_CXX_FLAGS_DEBUG=$(SAN_FLAGS)" -DSANITIZE=ON \
	  -DLONG_TESTS=OFF -DBENCH=OFF >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

# The flags the game ships with, assertions kept: every test, the long play runs and the
# benchmarks' brief runs.
opt-build: deps
	@cmake -S . -B $(OPT_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  "-DCMAKE_C_FLAGS_RELEASE=-O3" "-DCMAKE_CXX_FLAGS_RELEASE=-O3" >/dev/null
	@cmake --build $(OPT_DIR) -j $(JOBS)

# Both suites run even when the first fails, so one run shows every failure.
test: test-build opt-build
	@status=0; \
	echo "== optimized build"; ctest --test-dir $(OPT_DIR) --output-on-failure -j $(JOBS) || status=1; \
	echo "== sanitizer build"; ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS) || status=1; \
	exit $$status

clean:
	rm -rf build
