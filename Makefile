# The two set-up commands: `make run` and `make test`. Both install what is missing first.
# Every build flavour is a configure preset of CMakePresets.json, which also names its folder
# (build-PRESET, the developers' build in build); the targets below only call them, in the folder
# their *_DIR variable names, which a command line may change: `make test BUILD_DIR=/tmp/b`.
# JOBS=N caps the jobs each build runs at once, which Ninja otherwise sets above the cores (3 on 2).
BUILD_DIR := build
BIN := $(BUILD_DIR)/bin
PARALLEL := $(if $(JOBS),--parallel $(JOBS))

.PHONY: all deps configure build run test test-sanitize test-tsan test-no-uring fuzz bench \
    package picture icons format clean \
    windows-deps windows test-windows package-windows picture-windows

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt CMakePresets.json | deps
	cmake --preset debug -B $(BUILD_DIR)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) $(PARALLEL)

# The programs read the data folder beside themselves, so the sample data goes there, unless
# that folder already holds pages: the user's own. Without a display the window cannot open, so
# the batch command shows the same run instead. Only the two programs are built: the tests and
# tools wait for `make test`.
run: configure
	cmake --build $(BUILD_DIR) $(PARALLEL) --target catalog-collector catalog-collector-cli
	@./scripts/provide-sample-data.sh examples/data $(BIN)/data
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	    $(BIN)/catalog-collector; \
	else \
	    echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): running the batch command."; \
	    $(BIN)/catalog-collector-cli && echo "--- $(BIN)/output.txt" && cat $(BIN)/output.txt; \
	fi

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# The whole suite, window tests included, built with AddressSanitizer and
# UndefinedBehaviorSanitizer; any report fails the test that caused it.
SANITIZE_DIR := build-sanitize
test-sanitize: deps
	cmake --preset sanitize -B $(SANITIZE_DIR)
	cmake --build $(SANITIZE_DIR) $(PARALLEL)
	UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(SANITIZE_DIR) --output-on-failure

# The whole suite built with ThreadSanitizer, at -O1 so that its runs stay short; any report
# fails the test that caused it, but for races inside Qt's own libraries, which it cannot judge
# (tests/tsan_suppressions.txt). Tests whose limits leave its runtime too little skip, saying so.
# The window starts the file manager through QProcess, whose child only runs exec: without
# die_after_fork=0 ThreadSanitizer ends that child, as it cannot judge threads after a fork.
TSAN_DIR := build-tsan
test-tsan: deps
	cmake --preset tsan -B $(TSAN_DIR)
	cmake --build $(TSAN_DIR) $(PARALLEL)
	TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$(CURDIR)/tests/tsan_suppressions.txt" \
	    ctest --test-dir $(TSAN_DIR) --output-on-failure

# A Linux build without io_uring, where every file is read on its own: the collection's, the
# platform's and the batch command's tests, without the window to save time; the tests that need
# io_uring skip, saying so. The programs must not hold any of liburing.
NO_URING_DIR := build-no-uring
NO_URING_TESTS := platform_tests collect_tests cli_tests
test-no-uring: deps
	cmake --preset no-uring -B $(NO_URING_DIR)
	cmake --build $(NO_URING_DIR) $(PARALLEL) --target $(NO_URING_TESTS)
	! nm $(NO_URING_DIR)/bin/catalog-collector-cli | grep io_uring
	for tests in $(NO_URING_TESTS); do $(NO_URING_DIR)/bin/$$tests || exit 1; done

# The field rules against a plain matcher under libFuzzer, for FUZZ_SECONDS. New inputs go to
# $(FUZZ_DIR)/corpus; those that reach code the saved corpus does not are then merged into
# fuzz/corpus, and any difference or crash is written to fuzz/findings. The tests replay both.
FUZZ_DIR := build-fuzz
FUZZ_SECONDS ?= 300
fuzz:
	@./scripts/install-deps.sh clang libclang-rt-14-dev
	cmake --preset fuzz -B $(FUZZ_DIR)
	cmake --build $(FUZZ_DIR) $(PARALLEL) --target field_rules_fuzz
	mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/bin/field_rules_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=1024 \
	    -dict=fuzz/field_rules.dict -artifact_prefix=fuzz/findings/ -print_final_stats=1 \
	    $(FUZZ_DIR)/corpus fuzz/corpus
	$(FUZZ_DIR)/bin/field_rules_fuzz -merge=1 fuzz/corpus $(FUZZ_DIR)/corpus

# Timing runs, not tests: a Release build of the programs and the benchmarks, run on generated
# corpora in bench/corpus against cat, ripgrep and the floor (bench/read_floor.cpp), with the
# targets checked. CORPORA="files-100k random-2gb" runs only those.
BENCH_DIR := build-bench
bench:
	@./scripts/install-deps.sh hyperfine libbenchmark-dev time python3 ripgrep
	cmake --preset bench -B $(BENCH_DIR)
	cmake --build $(BENCH_DIR) $(PARALLEL)
	bench/run_bench.sh $(BENCH_DIR) $(CORPORA)

# The release archive, from a Release build of its own: PACKAGE_DIR/catalog-collector-*.tar.gz,
# its users' README then checked against it. The window is asked for by name, so that a machine
# without Qt fails here rather than making an archive without it.
PACKAGE_DIR := build-package
package: deps
	cmake --preset package -B $(PACKAGE_DIR)
	cmake --build $(PACKAGE_DIR) $(PARALLEL) --target release-programs
	rm -f $(PACKAGE_DIR)/catalog-collector-*.tar.gz
	cd $(PACKAGE_DIR) && cpack
	./scripts/check-users-readme.sh $(PACKAGE_DIR)/catalog-collector-*.tar.gz
	@ls -l $(PACKAGE_DIR)/catalog-collector-*.tar.gz

# Windows: the batch command and the native window (catalog-collector.exe) cross-compiled with
# MinGW-w64 into $(WINDOWS_DIR)/bin, and their tests run under Wine. Qt is not cross-built: the
# Windows window is a Win32 one.
WINDOWS_DIR := build-windows
# Debian's wine64 runs the 64-bit programs, `wine` gives the command; googletest is GoogleTest's
# sources, which the build compiles with the cross compiler (libgtest-dev is for Linux only).
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64 googletest
# The window's test clicks it on a virtual X display and reads the clipboard it fills.
WINDOWS_GUI_PACKAGES := xvfb xdotool xclip
windows-deps:
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES)

windows: windows-deps
	cmake --preset windows -B $(WINDOWS_DIR)
	cmake --build $(WINDOWS_DIR) $(PARALLEL)

# Every test, each program run by Wine in a prefix of the build's own
# ($(WINDOWS_DIR)/wineprefix), whose server is started before ctest and stopped after it. The
# window's test (tests/app/win32/form1_gui_test.sh) brings its own X display and Wine prefix.
test-windows: windows
	@./scripts/install-deps.sh $(WINDOWS_GUI_PACKAGES)
	./scripts/wine.sh session $(WINDOWS_DIR)/wineprefix \
	    ctest --test-dir $(WINDOWS_DIR) --output-on-failure

# The Windows release archive, from a Release cross build of its own:
# PACKAGE_WINDOWS_DIR/catalog-collector-*-windows-x86_64.zip. It is then unpacked and checked:
# contents, the DLLs the program needs, its manifest, a run on the sample pages under Wine, and
# its users' README.
PACKAGE_WINDOWS_DIR := build-package-windows
package-windows:
	@./scripts/install-deps.sh $(WINDOWS_PACKAGES) unzip
	cmake --preset windows-release -B $(PACKAGE_WINDOWS_DIR)
	cmake --build $(PACKAGE_WINDOWS_DIR) $(PARALLEL) --target release-programs
	rm -f $(PACKAGE_WINDOWS_DIR)/catalog-collector-*.zip
	cd $(PACKAGE_WINDOWS_DIR) && cpack
	./scripts/check-windows-archive.sh $(PACKAGE_WINDOWS_DIR)/catalog-collector-*.zip
	./scripts/check-users-readme.sh $(PACKAGE_WINDOWS_DIR)/catalog-collector-*.zip
	@ls -l $(PACKAGE_WINDOWS_DIR)/catalog-collector-*.zip

# Redraws the pictures of the Windows window in each state a user meets, under Wine on a virtual
# X display, taken with imagemagick: the README's in docs/ (window-windows.png,
# window-show-pages-win32.png), the others in docs/states/ (win32-*.png).
picture-windows: windows
	@./scripts/install-deps.sh $(WINDOWS_GUI_PACKAGES) imagemagick
	./scripts/window-pictures-windows.sh $(WINDOWS_DIR)/bin/catalog-collector.exe \
	    $(WINDOWS_DIR)/bin/catalog-collector-cli.exe examples/data \
	    $(WINDOWS_DIR)/tests/app/win32/gui docs

# Redraws the pictures of the window in each state a user meets, offscreen: the README's in
# docs/, the others in docs/states/.
picture: build
	cmake --build $(BUILD_DIR) $(PARALLEL) --target window-picture

# Redraws the program's icon files (packaging/icons) from its SVG.
icons:
	./scripts/make-icons.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

# Every build folder goes but for what the user keeps beside the programs: their pages in
# bin/data, their listings and whatever else the build did not make there.
BUILD_DIRS = $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(NO_URING_DIR) $(FUZZ_DIR) $(BENCH_DIR) \
    $(PACKAGE_DIR) $(WINDOWS_DIR) $(PACKAGE_WINDOWS_DIR) $(wildcard build-*)
clean:
	./scripts/clean-build.sh $(sort $(BUILD_DIRS))
