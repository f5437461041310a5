# Entry points. BUILD lets several work trees build side by side.
BUILD ?= build
JOBS ?= $(shell nproc)
ROOT := $(CURDIR)
B := $(abspath $(BUILD))

CMAKE_WIN32 := -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
CMAKE_WIN64 := -DCMAKE_TOOLCHAIN_FILE=$(ROOT)/cmake/toolchain-mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
CMAKE_HOST := -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug

.PHONY: all deps build build-win32 build-win64 build-host test demo bench fuzz dist clean

all: build

deps:
	@bash scripts/install-deps.sh

# The product tree builds its unit tests and helpers too: they run under
# WoW64 Wine beside the 64-bit ones.
build-win32: deps
	@cmake -S . -B $(B)/win32 -G Ninja $(CMAKE_WIN32) >/dev/null
	@cmake --build $(B)/win32 -j $(JOBS)

build-win64: deps
	@cmake -S . -B $(B)/win64 -G Ninja $(CMAKE_WIN64) >/dev/null
	@cmake --build $(B)/win64 -j $(JOBS)

build-host: deps
	@cmake -S . -B $(B)/host -G Ninja $(CMAKE_HOST) >/dev/null
	@cmake --build $(B)/host -j $(JOBS)

build: build-win32 build-win64 build-host

test: build
	@bash scripts/run-tests.sh $(B)

demo: build
	@bash scripts/demo.sh $(B)

bench: build
	@bash scripts/run-bench.sh $(B)

fuzz: build-host
	@bash scripts/run-fuzz.sh $(B) $${FUZZ_SECONDS:-60}

# The release: both builds of the product and checker, the guide and the sample, zipped.
dist: build-win32 build-win64
	@bash scripts/dist.sh $(B)

clean:
	rm -rf $(B)
