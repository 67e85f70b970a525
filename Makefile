# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
BIN := $(BUILD_DIR)/bin

.PHONY: all deps configure build run test bench picture format clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCATALOG_WARNINGS_AS_ERRORS=ON

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# The programs read the data folder beside themselves, so the sample data goes there. Without a
# display the window cannot open, so the batch command shows the same run instead.
run: build
	rm -rf $(BIN)/data
	cp -r examples/data $(BIN)/data
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(BIN)/catalog-collector; \
	else \
	    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running the batch command."; \
	    $(BIN)/catalog-collector-cli && echo "--- $(BIN)/output.txt" && cat $(BIN)/output.txt; \
	fi

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# Timing runs, not tests: a Release build of the programs and the benchmarks, run on generated
# corpora in bench/corpus.
BENCH_DIR ?= build-release
bench:
	@./scripts/install-deps.sh hyperfine libbenchmark-dev time python3
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	    -DCATALOG_BUILD_BENCHMARKS=ON -DCATALOG_WARNINGS_AS_ERRORS=ON
	cmake --build $(BENCH_DIR)
	bench/run_bench.sh $(BENCH_DIR)

# Redraws the README's picture of the window from the sample data, offscreen.
picture: build
	cmake --build $(BUILD_DIR) --target window-picture

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
