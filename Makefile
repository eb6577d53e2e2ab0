# Quelmar de Orivela: build, test and benchmark from one place.

BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# Where "make install" puts the program. In a directory the user can write, the options are saved
# beside the program; elsewhere each user gets their own in ~/.config/quelmar-de-orivela.
PREFIX ?= $(HOME)/.local

.PHONY: all deps configure program build test sanitize sanitize-threads fuzz bench format artwork \
	run install uninstall deb clean

all: build

# The Debian packages each command needs (scripts/install-deps.sh): building and running take
# the default set; only the tests and the benchmarks take the test group.
DEPS ?=
test sanitize bench: DEPS = test
deb: DEPS = deb
format: DEPS = format
artwork: DEPS = artwork

deps:
	@scripts/install-deps.sh $(DEPS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

# The programs, their data files and man pages: what running and installing take.
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target installable

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The unit tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUELMAR_SANITIZE=ON \
	      -DQUELMAR_BUILD_BENCHMARKS=OFF
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS) -L unit

# The tests that run start-up (a worker thread reads the collections, then folds their texts)
# with ThreadSanitizer.
TSAN_TESTS = test_data test_principal test_localizar test_damaged_files test_recordset
sanitize-threads: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELMAR_BUILD_BENCHMARKS=OFF \
	      -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
	      -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TESTS) quelmar-test-sqlite
	TSAN_OPTIONS="suppressions=$(CURDIR)/tests/tsan-qt.supp die_after_fork=0" \
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) \
	      -R '^($(subst $(eval) ,|,$(TSAN_TESTS)))$$'

# The libFuzzer targets (clang), each run for FUZZ_SECONDS on one core; fails on any finding.
fuzz:
	@scripts/install-deps.sh fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_CXX_COMPILER=/usr/bin/clang++ -DQUELMAR_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The database layer, find-next through the main window, a long message on display, the start-up
# (process start to the main window's first frame), quelmar-frase beside fortune; then every
# figure again in one table.
BENCH_REPORT = $(BUILD)/bench/report.tsv
bench: export QUELMAR_BENCH_REPORT = $(BENCH_REPORT)
bench: build
	rm -f $(BENCH_REPORT)
	$(BUILD)/bench/quelmar-bench
	$(BUILD)/bench/quelmar-bench-find
	$(BUILD)/bench/quelmar-bench-message
	$(BUILD)/bench/quelmar-bench-startup
	$(BUILD)/bench/quelmar-bench-fortune
	$(BUILD)/bench/quelmar-bench-card
	$(BUILD)/bench/quelmar-bench-report $(BENCH_REPORT)

format: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Redraws the program's pictures into resources/imagens. They are kept in the repository, so
# this is only needed after changing tools/artwork.
artwork: configure
	cmake --build $(BUILD) --target quelmar-artwork -j $(JOBS)
	$(BUILD)/tools/artwork/quelmar-artwork resources/imagens

run: program
	$(BUILD)/bin/quelmar

# Installs for the current user, stripped; installing again keeps the options saved there.
install: program
	scripts/install.sh $(BUILD) "$(PREFIX)"

# Removes what the last "make install" into PREFIX installed, and says what it kept.
uninstall:
	scripts/uninstall.sh "$(PREFIX)"

# The Debian package, in the build folder.
deb: program
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
