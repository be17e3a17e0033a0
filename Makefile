# The two commands of the README: `make run` and `make test`. Everything else here
# (sanitizer builds, fuzzing, benchmarks) is for developers and CI.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test asan tsan fuzz bench clean

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

# AddressSanitizer + UndefinedBehaviorSanitizer over every test (clang).
asan: deps
	cmake -S . -B build-asan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTESSARO_BENCH=OFF \
	  -DCMAKE_CXX_COMPILER=clang++-14 -DTESSARO_SANITIZE=address,undefined
	cmake --build build-asan -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir build-asan --output-on-failure -j $(JOBS) --timeout 600

# ThreadSanitizer over the engine tests (no Qt needed).
tsan: deps
	cmake -S . -B build-tsan $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTESSARO_BENCH=OFF \
	  -DTESSARO_ENGINE_ONLY=ON -DCMAKE_CXX_COMPILER=clang++-14 -DTESSARO_SANITIZE=thread
	cmake --build build-tsan -j $(JOBS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
	  ctest --test-dir build-tsan --output-on-failure -j $(JOBS) --timeout 600

# libFuzzer harnesses; each runs FUZZ_SECONDS from the seeds of fuzz/corpus/<name>, keeps
# what it learns in fuzz/work/<name> and writes crashing inputs to fuzz/findings/ (copy a
# fixed one into fuzz/corpus/<name> so that every test run replays it).
fuzz: deps
	cmake -S . -B build-fuzz $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_BENCH=OFF \
	  -DTESSARO_ENGINE_ONLY=ON -DCMAKE_CXX_COMPILER=clang++-14 -DTESSARO_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	@for h in build-fuzz/fuzz/fuzz_*; do \
	  n=$$(basename $$h | sed 's/^fuzz_//'); mkdir -p fuzz/work/$$n fuzz/findings; \
	  echo "== $$n"; $$h -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -artifact_prefix=fuzz/findings/ fuzz/work/$$n fuzz/corpus/$$n || exit 1; \
	done

bench: build
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b --benchmark_repetitions=5 \
	  --benchmark_report_aggregates_only=true; done

clean:
	rm -rf build build-asan build-tsan build-fuzz
