# Thin wrapper over CMake.
#   make run    build tesk31 and tesk31-plot only, then run the bundled example with every report
#   make test   install what the tests need when missing, build everything, normally and with
#               the sanitizers, run every test in both, the explorer's and the Python module's,
#               the Debian package's, pip install's and the Windows build's under wine: every
#               suite, even after one fails, then each suite's result; fails if any failed
#   make bench  build everything optimised and run the benchmarks (the whole ALL run of the
#               50-group hybrid line, the engine's 1,000-point profile, the charge loops, ...),
#               then whole runs: tesk31's instructions as a process, 300 files through
#               tesk31-study run against a tesk31 process each
#   make web    build the right-of-way explorer (WebAssembly) into build-web/, and
#               build-web/explorer.html, the page in one file that opens from the disk
#   make explore  build it and serve it on 127.0.0.1
#   make python build the Python module into build/python (installing what it needs)
#   make windows  cross-compile the three programs for 64-bit Windows (MinGW-w64) into
#               build-windows/ and pack build-windows/brenlow-VERSION-windows-x64.zip
#   make windows-test  run the Windows test programs and the programs under wine (make test
#               runs it: wine, MinGW-w64 and the build add about five minutes on two cores)
#   make package  the Debian package build/brenlow_VERSION-1_ARCH.deb, unpacked, run and checked
#               by lintian
#   make pip-test  pip install . into a fresh virtual environment, the Python tests against it
#   make wheel  the wheel build/wheel/brenlow-VERSION-cpXY-cpXY-linux_ARCH.whl (the module, its
#               type stub and the three programs), offline
#   make wheel-test  the wheel installed into a fresh virtual environment: its programs, the
#               bundled example and the Python tests
# Evaluated where used, after build-tools may have installed ninja.
GENERATOR = $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/500kv_flat.dat

.PHONY: all build-tools configure programs build build-asan run test unit-test asan-test bench clean

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

# Every suite runs, whichever failed before it; then each suite's result
# and time are listed, and make test fails if any suite failed. One suite
# alone: make unit-test, make asan-test, make web-test, ...
TEST_SUITES = unit-test asan-test web-test python-test package pip-test wheel-test windows-test

test:
	@failed=""; results=""; \
	for suite in $(TEST_SUITES); do \
	  start=$$(date +%s); \
	  if $(MAKE) --no-print-directory $(addprefix -f ,$(MAKEFILE_LIST)) $$suite; then result=passed; else result=FAILED; failed="$$failed $$suite"; fi; \
	  took=$$(( $$(date +%s) - start )); \
	  results="$$results$$(printf '  %-12s %-7s %3d min %02d s' $$suite $$result $$((took / 60)) $$((took % 60)))\n"; \
	done; \
	printf '\nmake test, suite by suite:\n%b' "$$results"; \
	if [ -n "$$failed" ]; then echo "make test: failed:$$failed" >&2; exit 1; fi; \
	echo "make test: every suite passed"

# The C++ tests, normally and under the sanitizers. The Python module's
# packages first, so that the normal build holds the module.
unit-test: python-deps build
	cd build && ctest --output-on-failure -j $(JOBS)

asan-test: build-asan
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in build/bench/bench_*; do echo "== $$b"; $$b; done
	@bench/whole_runs.sh build

clean:
	rm -rf build build-asan build-web build-windows build-pip

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
	$(WEB_ENV) cmake --build build-web --target explorer explorer_file math_functions -j $(JOBS)

explore: web
	node web/serve.mjs build-web $(EXPLORE_PORT)

# Node tests of the module against the native reference program, then the
# browser tests (headless chromium); both need the native build for tesk31.
# The local server's tests need neither.
web-test: web build
	cd web && BRENLOW_WEB=../build-web BRENLOW_BUILD=../build node --test test/module.test.mjs test/math.test.mjs test/span.test.mjs test/page.test.mjs \
	  test/files.test.mjs test/span-page.test.mjs test/ionflow-page.test.mjs test/limits.test.mjs test/limits-page.test.mjs test/serve.test.mjs test/one-file.test.mjs
	$(call file-page-test,$(CURDIR)/build-web/explorer.html)

# The explorer's page in one file (a copy of build-web/explorer.html: $(1)),
# opened from the disk in headless chromium with the network shut, against
# the served page; `make package` and `make windows-test` run it on their
# unpacked copies.
file-page-test = cd web && BRENLOW_WEB=../build-web BRENLOW_FILE_PAGE=$(1) node --test test/file-page.test.mjs

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
	  --basetemp=build/pytest-tmp python/tests $(PYTEST_ARGS); status=$$?; rm -rf build/pytest-tmp; \
	  if [ $$status -eq 5 ]; then echo "python-test: pytest collected no tests" >&2; fi; exit $$status

# ---- Windows, the Debian package, pip install ----
# The one version number, from project(brenlow VERSION ...).
VERSION := $(shell sed -n 's/^project.brenlow VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

.PHONY: windows windows-test package pip-test wheel wheel-test

# The explorer's page in one file, which the zip and the package ship.
EXPLORER_PAGE = -DBRENLOW_EXPLORER_PAGE=$(CURDIR)/build-web/explorer.html

# MinGW-w64 (and for the tests wine) when missing; the zip holds the
# explorer's page too (emscripten: make web).
windows: build-tools web
	@.ci/install-windows-tools
	cmake -S . -B build-windows $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(EXPLORER_PAGE)
	cmake --build build-windows -j $(JOBS) --target tesk31 tesk31-plot tesk31-study
	cd build-windows && cpack -G ZIP >/dev/null
	@echo "Windows programs: build-windows/brenlow-$(VERSION)-windows-x64.zip"

# The test programs under wine, and the programs against the native build's;
# the explorer's page from the unpacked zip in headless chromium.
windows-test: windows configure
	@.ci/install-windows-tools --wine
	cmake --build build -j $(JOBS) --target tesk31 tesk31-plot tesk31-study math_functions
	cmake -S . -B build-windows -DBRENLOW_NATIVE_BUILD=$(CURDIR)/build
	cmake --build build-windows -j $(JOBS)
	cd build-windows && ctest --output-on-failure -j $(JOBS)
	rm -rf build-windows/unpacked && mkdir build-windows/unpacked
	cd build-windows/unpacked && cmake -E tar xf ../brenlow-$(VERSION)-windows-x64.zip
	$(call file-page-test,$(CURDIR)/build-windows/unpacked/brenlow-$(VERSION)-windows-x64/explorer.html)

# dpkg-shlibdeps (dpkg-dev, a build tool) computes the dependencies;
# debian_files are the changelog and the manual pages (help2man); the
# package's test runs lintian on it.
# The package holds the explorer's page (emscripten: make web); the test
# opens the unpacked package's copy in headless chromium.
package: configure web
	cmake -S . -B build $(EXPLORER_PAGE) >/dev/null
	cmake --build build -j $(JOBS) --target tesk31 tesk31-plot tesk31-study debian_files
	cd build && cpack -G DEB >/dev/null
	tests/package/deb_test.sh build/brenlow_$(VERSION)-1_$$(dpkg --print-architecture).deb build examples/example.dat build-web

# The module pip installs, found from another folder, passes the Python
# tests; the programs they run come from build/.
pip-test: python
	@dir=$$(mktemp -d) && trap 'rm -rf "$$dir"' EXIT && \
	  $(PYTHON) -m venv --system-site-packages "$$dir/v" && \
	  "$$dir/v/bin/pip" install -q --no-cache-dir --no-build-isolation --no-index . && \
	  cd "$$dir" && "$$dir/v/bin/python" -c 'import brenlow, sys; \
	    assert brenlow.__file__.startswith(sys.prefix), brenlow.__file__; \
	    assert brenlow.__version__ == "$(VERSION)", brenlow.__version__' && \
	  TESK31=$(CURDIR)/build/tesk31 TESK31_STUDY=$(CURDIR)/build/tesk31-study PYTHONDONTWRITEBYTECODE=1 \
	  "$$dir/v/bin/python" -m pytest -q -p no:cacheprovider --basetemp="$$dir/pytest-tmp" \
	    $(CURDIR)/python/tests $(PYTEST_ARGS)

# The wheel of the interpreter that builds it: cpXY-cpXY-linux_ARCH (the
# module is an extension). Built as pip install . builds, offline, with
# Debian's setuptools and wheel; the programs are the wheel's scripts.
WHEEL_TAG = $(shell $(PYTHON) -c 'import sys; print("cp%d%d" % sys.version_info[:2])')
WHEEL = build/wheel/brenlow-$(VERSION)-$(WHEEL_TAG)-$(WHEEL_TAG)-linux_$(shell uname -m).whl

wheel: build-tools python-deps
	rm -rf build/wheel
	$(PYTHON) -m pip wheel -q --no-deps --no-build-isolation --no-index --no-cache-dir -w build/wheel .
	@test -f $(WHEEL) || { echo "make wheel: no $(notdir $(WHEEL)) in build/wheel, but: $$(ls build/wheel)" >&2; exit 1; }
	@echo "Wheel: $(WHEEL)"

wheel-test: wheel
	tests/package/wheel_test.sh $(WHEEL) $(PYTHON) build/wheel-test .
