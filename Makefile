# Entry points for people and CI. Every target installs what is missing first, so a fresh
# Debian 12 machine needs nothing but `make test` (as root).
#
#   make demo          build, then run scripts/demo
#   make test          build, then run every test next to a throwaway PostgreSQL
#   make build         configure and build
#   make clean         remove the build folder
#   make bench         build, then measure a report request on 100,000 and 1,000,000 rows
#   make format        clang-format our sources in place
#   make format-check  fail when a source is not clang-format clean
#
# BUILD_DIR, BUILD_TYPE, JOBS and CTEST_ARGS can be given on the command line or in the
# environment.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
CTEST_ARGS ?=

SOURCE_DIRS := src app examples tests bench
SOURCES = $(shell find $(SOURCE_DIRS) \( -name '*.cpp' -o -name '*.h' \) -type f 2>/dev/null | sort)

.PHONY: all deps configure build test demo bench clean format format-check

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

test: build
	QT_QPA_PLATFORM=offscreen scripts/with-postgres \
		ctest --test-dir $(BUILD_DIR) --output-on-failure $(CTEST_ARGS)

demo: build
	BUILD_DIR=$(BUILD_DIR) scripts/demo

bench: build
	$(BUILD_DIR)/bin/bench_request --rows 100000
	$(BUILD_DIR)/bin/bench_request --rows 1000000

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run --Werror $(SOURCES)
