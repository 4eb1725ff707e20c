# mgmesh: the project's commands. Each installs what is missing, then builds out of tree.
#   make test [SANITIZE=address,undefined|thread]   build and run every test
#   make demo                                       build, then report on and draw a bundled model
#   make bench [FULL=1]                             run the benchmarks
#   make install PREFIX=/some/where                 install library, headers, CMake package and
#                                                   the Python module
#   make python-test                                the Python module's pytest suite
#   make format                                     clang-format the sources

PREFIX ?= /usr/local
SANITIZE ?=
FULL ?=
JOBS ?= $(shell nproc)
# the python3 the module is built for and tested with: Debian's, which has python3-numpy
PYTHON ?= /usr/bin/python3
PYTHON_SITE = lib/$(shell $(PYTHON) -c 'import sys; print("python%d.%d" % sys.version_info[:2])')/site-packages

comma := ,
ifeq ($(SANITIZE),)
BUILD := build
BUILD_TYPE := RelWithDebInfo
else
BUILD := build-$(subst $(comma),-,$(SANITIZE))
BUILD_TYPE := Debug
endif
STAGE := $(CURDIR)/$(BUILD)/stage

PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
	libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 libpng-dev freeglut3-dev xvfb xauth \
	clang libclang-rt-14-dev valgrind python3-dev pybind11-dev python3-numpy python3-pytest

.PHONY: all deps configure build test python-test ci-extra thread-test package-test fuzz memcheck demo bench \
	install format check-format clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
		echo "installing:$$missing"; \
		SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
		$$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DMGMESH_SANITIZE=$(SANITIZE) \
		-DCMAKE_INSTALL_PREFIX=$(STAGE) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
		-DPython_EXECUTABLE=$(PYTHON) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
ifeq ($(SANITIZE),)
	$(MAKE) --no-print-directory python-test
	$(MAKE) --no-print-directory package-test
ifeq ($(CI),true)
	$(MAKE) --no-print-directory ci-extra
endif
endif

# The Python module from the build tree; the corpus tests compare with the build's mgtool.
python-test: build
	PYTHONPATH=$(CURDIR)/$(BUILD)/python MGTOOL=$(CURDIR)/$(BUILD)/tools/mgtool \
		$(PYTHON) -m pytest -q -p no:cacheprovider python/tests

# What CI adds to the plain suite: the sanitizer builds and a short run of every fuzzer.
ci-extra:
	$(MAKE) --no-print-directory check-format
	$(MAKE) --no-print-directory test SANITIZE=address,undefined
	$(MAKE) --no-print-directory thread-test
	$(MAKE) --no-print-directory fuzz FUZZ_TIME=$(or $(CI_FUZZ_TIME),20)

# Separate models on separate threads, under ThreadSanitizer.
thread-test: deps
	cmake -S . -B build-thread -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMGMESH_SANITIZE=thread \
		-DMGMESH_BUILD_TOOLS=OFF -DMGMESH_BUILD_BENCH=OFF >/dev/null
	cmake --build build-thread -j $(JOBS) --target tests_threads
	build-thread/tests/threads/tests_threads

# libFuzzer targets (clang); FUZZ_TIME seconds per target (default 60), FUZZ_SEEDS extra seeds.
fuzz: deps
	FUZZ_TIME=$(or $(FUZZ_TIME),60) FUZZ_SEEDS=$(FUZZ_SEEDS) fuzz/run.sh

# Every test program under valgrind's memcheck.
memcheck: deps
	cmake -S . -B build-memcheck -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMGMESH_PLAIN_ITEMS=ON \
		-DMGMESH_BUILD_BENCH=OFF >/dev/null
	cmake --build build-memcheck -j $(JOBS)
	fuzz/memcheck.sh build-memcheck

# The installed package, consumed the way a host consumes it.
package-test: build
	cmake --install $(BUILD) >/dev/null
	cmake -S examples -B $(BUILD)/example -G Ninja -DCMAKE_PREFIX_PATH=$(STAGE) >/dev/null
	cmake --build $(BUILD)/example
	LD_LIBRARY_PATH=$(STAGE)/lib $(BUILD)/example/host_example >/dev/null && echo "package test: host example built against the installed package ran"
	cd /tmp && PYTHONPATH=$(STAGE)/$(PYTHON_SITE) $(PYTHON) -c \
		"import mgmesh; print(mgmesh.load('$(CURDIR)/$(DEMO_MODEL)').num_facets)" | grep -qx 444 \
		&& echo "package test: the installed Python module loaded the bracket"

DEMO_MODEL := examples/models/bracket.stl
DEMO_PNG := $(CURDIR)/$(BUILD)/demo/bracket.png

demo: build
	cmake --install $(BUILD) >/dev/null
	@mkdir -p $(dir $(DEMO_PNG))
	$(STAGE)/bin/mgtool info $(DEMO_MODEL)
	$(STAGE)/bin/mgtool render $(DEMO_MODEL) -o $(DEMO_PNG) --size 800x600 --view iso --edges
	@echo "picture written to $(DEMO_PNG)"

# The quick pass runs the small sizes; FULL=1 runs every size, with the peers (admesh,
# installed when missing) timed on the same sphere files by bench/peers.sh.
bench: build
ifeq ($(FULL),)
	$(BUILD)/bench/mgmesh_bench --benchmark_filter='/(1024|4096|10000|16384|20480|65536|81920|100000)(/|$$)'
else
	bench/peers.sh $(BUILD)/bench/mgmesh_bench
endif

install: configure
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build build-*
