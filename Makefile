# Thin wrapper over CMake.
#   make run    build tesk31 and tesk31-plot only, then run the bundled example with every report
#   make test   build everything, normally and with the sanitizers, run every test in both
#   make bench  build everything optimised and run the benchmarks (the whole ALL run of the
#               50-group hybrid line, the engine's 1,000-point profile, the charge loops, ...)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/500kv_flat.dat

.PHONY: all configure programs build build-asan run test bench clean

all: build

configure:
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

# Just the two programs `make run` runs, not the tests and benchmarks.
programs: configure
	cmake --build build -j $(JOBS) --target tesk31 tesk31-plot

build: configure
	cmake --build build -j $(JOBS)

build-asan:
	cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBRENLOW_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)

run: programs
	cd build && ./tesk31 ../$(EXAMPLE) example.prt example.dif
	cd build && ./tesk31-plot example.dif -o example.svg
	@echo "Print file: build/example.prt   DIF file: build/example.dif   Profile: build/example.svg"

test: build build-asan
	cd build && ctest --output-on-failure -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build build-asan
