# Thin wrapper over CMake.
#   make run    build tesk31 and tesk31-plot only, then run the bundled example with every report
#   make test   install what the tests need when missing, build everything, normally and with
#               the sanitizers, run every test in both, the explorer's and the Python module's
#   make bench  build everything optimised and run the benchmarks (the whole ALL run of the
#               50-group hybrid line, the engine's 1,000-point profile, the charge loops, ...),
#               then whole runs: tesk31's instructions as a process, 300 files through
#               tesk31-study run against a tesk31 process each
#   make web    build the right-of-way explorer (WebAssembly) into build-web/
#   make explore  build it and serve it on 127.0.0.1
#   make python build the Python module into build/python (installing what it needs)
# Evaluated where used, after build-tools may have installed ninja.
GENERATOR = $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/500kv_flat.dat

.PHONY: all build-tools configure programs build build-asan run test bench clean

all: build

# The build tools (cmake, g++, ninja, GoogleTest, Google Benchmark) when missing.
build-tools:
	@.ci/install-build-tools

configure: build-tools
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Release

# Just the two programs `make run` runs, not the tests and benchmarks.
programs: configure
	cmake --build build -j $(JOBS) --target tesk31 tesk31-plot

build: configure
	cmake --build build -j $(JOBS)

build-asan: build-tools
	cmake -S . -B build-asan $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DBRENLOW_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)

run: programs
	cd build && ./tesk31 ../$(EXAMPLE) example.prt example.dif
	cd build && ./tesk31-plot example.dif -o example.svg
	@echo "Print file: build/example.prt   DIF file: build/example.dif   Profile: build/example.svg"

test: python-deps build build-asan python-test
	cd build && ctest --output-on-failure -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/bench/bench_*; do echo "== $$b"; $$b; done
	@bench/whole_runs.sh build

clean:
	rm -rf build build-asan build-web

# --- The right-of-way explorer (web/): the engine in WebAssembly ----------
# web/install.sh installs emscripten, chromium and the pinned npm packages
# when they are missing. Debian's emscripten finds its node modules through
# NODE_PATH.
WEB_ENV := NODE_PATH=/usr/share/nodejs
EXPLORE_PORT ?= 8031

.PHONY: web-setup web explore web-test

web-setup:
	@web/install.sh

# The build tools too: the explorer's build takes {fmt} and fast_float's headers.
web: build-tools web-setup
	$(WEB_ENV) emcmake cmake -S . -B build-web $(GENERATOR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	$(WEB_ENV) cmake --build build-web --target explorer -j $(JOBS)

explore: web
	node web/serve.mjs build-web $(EXPLORE_PORT)

# Node tests of the module against the native reference program, then the
# browser tests (headless chromium); both need the native build for tesk31.
# The local server's tests need neither.
web-test: web build
	cd web && BRENLOW_WEB=../build-web BRENLOW_BUILD=../build node --test test/module.test.mjs test/span.test.mjs test/page.test.mjs \
	  test/serve.test.mjs

test: web-test

# ---- Python module (python/) ----
# Debian's packages and Debian's interpreter, named explicitly: the first
# python3 on PATH may be another install without numpy. pytest's status 5
# (no test collected) fails the target: python/tests always holds tests, so
# none found means a broken run, or a PYTEST_ARGS filter that matched nothing.
PYTHON := /usr/bin/python3
PYTEST_ARGS ?=

.PHONY: python python-deps python-test

python-deps:
	@python/install.sh

python: build-tools python-deps
	cmake -S . -B build $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DBRENLOW_PYTHON=$(PYTHON)
	cmake --build build --target brenlow_python tesk31 tesk31-study -j $(JOBS)

python-test: python
	@PYTHONPATH=build/python PYTHONDONTWRITEBYTECODE=1 $(PYTHON) -m pytest -q -p no:cacheprovider \
	  python/tests $(PYTEST_ARGS); status=$$?; \
	  if [ $$status -eq 5 ]; then echo "python-test: pytest collected no tests" >&2; fi; exit $$status
