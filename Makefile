# SPDX-License-Identifier: GPL-3.0-or-later
# make run   — installs what is missing, builds, runs the demo on the logger simulator
# make test  — installs what is missing, builds, runs every test
# make package — builds build/trailkeep_VERSION_ARCH.deb
# make check-fresh-debian — installs that package on a fresh minimal Debian 12 (debootstrap) and
#                            checks that its programs run there (root, network, minutes)
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps build run test package check-fresh-debian bench check-sanitize fuzz clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/demo.sh $(BUILD)/bin

test: build
	@scripts/run-tests.sh $(BUILD)

package: build
	cd $(BUILD) && cpack -G DEB

check-fresh-debian: package
	@scripts/check-fresh-debian.sh $(BUILD)

bench: build
	@scripts/run-bench.sh $(BUILD)/bin

check-sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTK_SANITIZE=ON -DTK_BENCH=OFF
	cmake --build build-sanitize -j $(JOBS)
	@scripts/run-tests.sh build-sanitize

fuzz: deps
	CXX=clang++-14 cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	@scripts/run-fuzz.sh build-fuzz/bin $${FUZZ_SECONDS:-60}

clean:
	rm -rf $(BUILD) build-sanitize build-fuzz
