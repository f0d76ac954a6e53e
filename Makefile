# The two set-up commands: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE_DIR := build/release
TEST_DIR := build/test
FUZZ_DIR := build/fuzz

.PHONY: run test deps release test-build fuzz-build clean

deps:
	@scripts/setup.sh

# The game and its data set only: no tests, benchmarks or fuzz targets.
release: deps
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DGAME_ONLY=ON >/dev/null
	@cmake --build $(RELEASE_DIR) --target stealth dataset -j $(JOBS)

run: release
	cd $(RELEASE_DIR)/run && ../stealth

fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)

test-build: deps fuzz-build
	@cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON -DFUZZ_BIN_DIR=$(abspath $(FUZZ_DIR))/fuzz >/dev/null
	@cmake --build $(TEST_DIR) -j $(JOBS)

test: test-build
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf build
