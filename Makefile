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

clean:
	rm -rf build
