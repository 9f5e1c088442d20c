# The two commands of the README: `make run` and `make test`.
.PHONY: run test deps dev bench fuzz clean

deps:
	@bash scripts/install-deps.sh

# Builds the program and starts it.
run: deps
	cmake --preset release >/dev/null
	cmake --build --preset release --target meterlyn
	bash scripts/run.sh build/release/src/meterlyn

# Builds with warnings as errors and address+undefined sanitizers, then runs every test.
test: deps
	cmake --preset sanitize
	cmake --build --preset sanitize
	ctest --preset sanitize

# Faster everyday build and test, without sanitizers.
dev: deps
	cmake --preset dev
	cmake --build --preset dev
	ctest --preset dev

bench: deps
	cmake --preset release -DMETERLYN_BENCH=ON >/dev/null
	cmake --build --preset release
	for b in build/release/bench/bench_*; do "$$b"; done

# libFuzzer targets (clang, address+undefined sanitizers), apart from the normal build. Both run
# at once for FUZZ_TIME seconds; crashes land in build/fuzz/artifacts/.
FUZZ_TIME ?= 600
fuzz: deps
	CC=clang CXX=clang++ cmake -S fuzz -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build/fuzz
	mkdir -p fuzz/corpus-package fuzz/corpus-http build/fuzz/artifacts
	nice build/fuzz/fuzz_package -max_total_time=$(FUZZ_TIME) -max_len=16384 \
		-artifact_prefix=build/fuzz/artifacts/ fuzz/corpus-package fuzz/seeds/package & p=$$!; \
	nice build/fuzz/fuzz_http -max_total_time=$(FUZZ_TIME) -max_len=70000 \
		-artifact_prefix=build/fuzz/artifacts/ fuzz/corpus-http fuzz/seeds/http; h=$$?; \
	wait $$p && [ $$h -eq 0 ]

clean:
	rm -rf build
