# mgmesh: the project's commands. Each installs what is missing, then builds out of tree.
#   make test [SANITIZE=address,undefined|thread]   build and run every test
#   make demo                                       build the library and mgtool, then report on
#                                                   and draw a bundled model
#   make bench [FULL=1] [WHOLE=1|0]                 run the benchmarks (FULL=1: in process and as
#                                                   whole processes; WHOLE=1 or 0: only one of them)
#   make install PREFIX=/some/where                 install library, headers, packages, mgtool and
#                                                   the Python module
#   make docs                                       the API reference, in build/docs/html
#   make windows [WINDOWS_ARCH=x86_64|i686]         cross-build mgmesh.dll, mgtool.exe and the tests
#   make windows-test [WINDOWS_ARCH=...]            run them under Wine
#   make python-test                                the Python module's pytest suite
#   make format                                     clang-format the sources

PREFIX ?= /usr/local
SANITIZE ?=
FULL ?=
WHOLE ?=
WHOLE_OPTIONS ?=
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

# What the library and mgtool need to build and draw, and what the tests, benchmarks and CI add.
DEMO_PACKAGES := cmake ninja-build g++ pkg-config libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0 \
	libpng-dev freeglut3-dev
TEST_PACKAGES := libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth clang libclang-rt-14-dev \
	valgrind python3-dev pybind11-dev python3-numpy python3-pytest
PACKAGES := $(DEMO_PACKAGES) $(TEST_PACKAGES)
# The benchmarks' peers, for make bench FULL=1 (or WHOLE=1) only: admesh, and CGAL's headers for
# the Surface_mesh build that RebuildEdges is compared with.
BENCH_PACKAGES := admesh libcgal-dev
ifneq ($(FULL)$(filter 1,$(WHOLE)),)
PACKAGES += $(BENCH_PACKAGES)
endif

# The Windows cross build: Debian's mingw-w64 (posix threads), its zlib, GoogleTest built from
# Debian's sources, and Wine to run the results.
WINDOWS_ARCH ?= x86_64
WINDOWS_BUILD := build-windows/$(WINDOWS_ARCH)
WINDOWS_GTEST := $(CURDIR)/build-windows/gtest-$(WINDOWS_ARCH)
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-$(subst _,-,$(WINDOWS_ARCH))-posix \
	libz-mingw-w64-dev googletest wine wine64

.PHONY: all deps demo-deps configure demo-configure build test python-test ci-extra thread-test package-test fuzz memcheck demo bench \
	install docs format check-format clean windows-deps windows-gtest windows windows-test \
	ci-windows

all: build

deps:
	@cmake/install-packages.sh $(PACKAGES)

demo-deps:
	@cmake/install-packages.sh $(DEMO_PACKAGES)

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DMGMESH_SANITIZE=$(SANITIZE) \
		-DCMAKE_INSTALL_PREFIX=$(STAGE) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
		-DMGMESH_BUILD_TESTS=ON -DMGMESH_BUILD_BENCH=ON -DPython_EXECUTABLE=$(PYTHON) >/dev/null

# A new build tree for the demo or an install has neither tests nor benchmarks; one that has them
# keeps them.
demo-configure: demo-deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DMGMESH_SANITIZE=$(SANITIZE) \
		-DCMAKE_INSTALL_PREFIX=$(STAGE) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DPython_EXECUTABLE=$(PYTHON) \
		$(if $(wildcard $(BUILD)/CMakeCache.txt),,-DMGMESH_BUILD_TESTS=OFF -DMGMESH_BUILD_BENCH=OFF) >/dev/null

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

# What CI adds to the plain suite: the sanitizer builds, a short run of every fuzzer, and the
# Windows build under Wine.
ci-extra:
	$(MAKE) --no-print-directory check-format
	$(MAKE) --no-print-directory test SANITIZE=address,undefined
	$(MAKE) --no-print-directory thread-test
	$(MAKE) --no-print-directory fuzz FUZZ_TIME=$(or $(CI_FUZZ_TIME),20)
	$(MAKE) --no-print-directory ci-windows

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

# The installed package, consumed the way a host consumes it: find_package, pkg-config and
# add_subdirectory, each building and running the sample host and the guide's examples.
package-test: build
	tests/package/run.sh $(BUILD)
	cmake --install $(BUILD) >/dev/null
	cd /tmp && PYTHONPATH=$(STAGE)/$(PYTHON_SITE) $(PYTHON) -c \
		"import mgmesh; print(mgmesh.load('$(CURDIR)/$(DEMO_MODEL)').num_facets)" | grep -qx 444 \
		&& echo "package test: the installed Python module loaded the bracket"

DEMO_MODEL := examples/models/bracket.stl
DEMO_PNG := $(CURDIR)/$(BUILD)/demo/bracket.png

demo: demo-configure
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) >/dev/null
	@mkdir -p $(dir $(DEMO_PNG))
	$(STAGE)/bin/mgtool info $(DEMO_MODEL)
	$(STAGE)/bin/mgtool render $(DEMO_MODEL) -o $(DEMO_PNG) --size 800x600 --view iso --edges
	@echo "picture written to $(DEMO_PNG)"

# The quick pass runs the small sizes in one process. FULL=1 runs every size in process, with
# admesh timed on the same sphere files by bench/peers.sh (these rows are for profiling), and then
# the goals table on whole processes: mgmesh_whole runs every measurement as a fresh process
# (mgmesh_process, admesh, mgtool info, CGAL's Surface_mesh build), paired with its base.
# FULL=1 installs admesh and libcgal-dev when missing. Each part alone:
#   make bench FULL=1 WHOLE=0     the in-process rows at every size, with admesh
#   make bench WHOLE=1            the whole-process goals table
#   make bench WHOLE=1 WHOLE_OPTIONS='--max-facets=327680 --repetitions=3'   a shorter one
bench: build
ifeq ($(FULL)$(WHOLE),)
	$(BUILD)/bench/mgmesh_bench --benchmark_filter='/(1024|4096|10000|16384|20480|65536|81920|100000)(/|$$)'
else
ifneq ($(WHOLE),1)
	bench/peers.sh $(BUILD)/bench/mgmesh_bench
endif
ifneq ($(WHOLE),0)
	$(BUILD)/bench/mgmesh_whole $(WHOLE_OPTIONS)
endif
endif

install: demo-configure
	cmake --build $(BUILD) -j $(JOBS)
	cmake --install $(BUILD) --prefix $(PREFIX)

# The API reference from the public headers' comments (with the README, the guide and the formats
# page) by Debian's doxygen, installed when missing; a warning fails it.
docs:
	@cmake/install-packages.sh doxygen
	doxygen docs/Doxyfile
	@echo "API reference: $(CURDIR)/build/docs/html/index.html"

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

check-format:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# GoogleTest for the cross build, from the sources Debian's googletest package ships.
windows-gtest: windows-deps
	@if [ ! -f $(WINDOWS_GTEST)/lib/libgtest.a ]; then \
		cmake -S /usr/src/googletest -B build-windows/gtest-build-$(WINDOWS_ARCH) -G Ninja \
			-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/MingwToolchain.cmake -DMGMESH_MINGW_ARCH=$(WINDOWS_ARCH) \
			-DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX=$(WINDOWS_GTEST) >/dev/null && \
		cmake --build build-windows/gtest-build-$(WINDOWS_ARCH) -j $(JOBS) >/dev/null && \
		cmake --install build-windows/gtest-build-$(WINDOWS_ARCH) >/dev/null; \
	fi

windows-deps:
	@cmake/install-packages.sh $(WINDOWS_PACKAGES)

# mgmesh.dll with its import library, mgtool.exe and the test programs, installed with the
# headers and the runtime DLLs into $(WINDOWS_BUILD)/stage.
windows: windows-gtest
	cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/MingwToolchain.cmake \
		-DMGMESH_MINGW_ARCH=$(WINDOWS_ARCH) -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_PREFIX_PATH=$(WINDOWS_GTEST) -DMGMESH_BUILD_BENCH=OFF \
		-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
		-DCMAKE_INSTALL_PREFIX=$(CURDIR)/$(WINDOWS_BUILD)/stage >/dev/null
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)
	cmake --install $(WINDOWS_BUILD) >/dev/null
	@echo "windows: $(WINDOWS_BUILD)/stage/bin holds mgmesh.dll and mgtool.exe"

# The tests that need no OpenGL, under Wine; mgtool.exe info compared with the Linux build's
# when that is built.
windows-test: windows
	cmake/wine-test.sh $(WINDOWS_BUILD) $(wildcard $(CURDIR)/$(BUILD)/tools/mgtool)

# CI runs the Windows tests where their packages are present or can be installed.
ci-windows:
	@if $(MAKE) --no-print-directory windows-deps; then \
		$(MAKE) --no-print-directory windows-test; \
	else \
		echo "windows: the mingw-w64 and Wine packages cannot be installed here; skipped"; \
	fi

clean:
	rm -rf build build-*
