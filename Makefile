# The README's commands. Both install missing dependencies first.
#   make test   build (normal and sanitizer builds), run every suite, end with CTest's summary
#   make run    build and run the test application varn-demo (without a display it writes varn-demo.png)
#   make run-db build and run varn-dbdemo: a table of a throwaway MariaDB server in a TDBVarnGrid
#               (DBDEMO_ARGS="--socket ... --table ..." for a server and table of your own)
#   make bench  build the benchmark programs (run them by hand from build/bench)
#   make fuzz   build the fuzz targets with clang and libFuzzer, run each for FUZZ_SECONDS

BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?=
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build build-asan test run run-db bench fuzz install clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVARN_SANITIZE=ON -DVARN_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# The sanitizer run comes first so that the last lines are the normal build's summary.
test: build build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
		ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# varn-demo opens a real window when there is a display; without one it says so
# and writes the form to varn-demo.png in the current directory.
run: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target varn-demo
	$(BUILD)/app/varn-demo

# varn-dbdemo starts a throwaway MariaDB server of its own unless DBDEMO_ARGS or the
# MySQL environment variables name one; without a display it writes varn-dbdemo.png.
DBDEMO_ARGS ?=
run-db: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target varn-dbdemo
	$(BUILD)/examples/varn-dbdemo $(DBDEMO_ARGS)

bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARN_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# A build tree of its own: clang, every object instrumented, ASan and UBSan on.
# FUZZ_SECONDS=600 make fuzz runs longer; FUZZ_TARGETS="jpeg bmp" runs only those;
# FUZZ_KEEP_GOING=1 goes on past each fault (scripts/run-fuzzers).
fuzz:
	@scripts/install-deps fuzz
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DCMAKE_C_COMPILER=clang -DVARN_BUILD_FUZZ=ON -DVARN_BUILD_TESTS=OFF -DVARN_BUILD_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target varn_fuzzers
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
