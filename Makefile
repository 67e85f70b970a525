# The two set-up commands: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
BIN := $(BUILD_DIR)/bin

.PHONY: all deps configure build run test format clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) \
	    -DCATALOG_WARNINGS_AS_ERRORS=ON

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# The programs read the data folder beside themselves, so the sample data goes there.
run: build
	rm -rf $(BIN)/data
	cp -r examples/data $(BIN)/data
	$(BIN)/catalog-collector-cli
	@echo "--- $(BIN)/output.txt"
	@cat $(BIN)/output.txt

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
