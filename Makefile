# Entry points for people and CI. Every target installs what is missing first, so a fresh
# Debian 12 machine needs nothing but `make test` (as root).
#
#   make demo          build what the demo needs (varo-report and the demo plug-ins), then
#                      run scripts/demo: the report viewer on the demo database when there is
#                      a display (and no CI), otherwise a report printed on the terminal
#   make test          build, then run every test next to a throwaway PostgreSQL
#   make build         configure and build
#   make install       install into PREFIX (default /usr/local)
#   make package       build the Debian packages (cpack -G DEB) in the build folder
#   make check-install install into a temporary prefix, build examples/host and
#                      examples/plugin-template against it, run the host
#   make check-packages build the Debian packages, resolve them with apt --simulate, run the
#                      unpacked varo-report
#   make fuzz          fuzz the template expansions with libFuzzer (FUZZ_SECONDS each, 60)
#   make clean         remove the build folder
#   make bench         build, then measure a report request on 100,000 and 1,000,000 rows against
#                      the database's own command line, and varo-report's peak memory on the
#                      larger: on SQLite, and on PostgreSQL through scripts/with-postgres when
#                      its server is installed; then the XLSX export and the viewer on it
#   make format        clang-format our sources in place
#   make format-check  fail when a source is not clang-format clean
#
# BUILD_DIR, BUILD_TYPE, JOBS, CTEST_ARGS and PREFIX can be given on the command line or in the
# environment.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= 2
CTEST_ARGS ?=
PREFIX ?= /usr/local
DEMO_TARGETS := varo-report varodemo_sales varodemo_select

SOURCE_DIRS := src app examples tests bench
SOURCES = $(shell find $(SOURCE_DIRS) \( -name '*.cpp' -o -name '*.h' \) -type f 2>/dev/null | sort)

.PHONY: all deps configure build test demo bench clean format format-check install package \
	check-install check-packages fuzz

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

demo: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS) --target $(DEMO_TARGETS)
	BUILD_DIR=$(BUILD_DIR) scripts/demo

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

check-install: build
	BUILD_DIR=$(BUILD_DIR) JOBS=$(JOBS) scripts/check-install

check-packages: build
	BUILD_DIR=$(BUILD_DIR) scripts/check-packages

fuzz: deps
	JOBS=$(JOBS) scripts/fuzz

bench: build
	$(BUILD_DIR)/bin/bench_request --rows 100000
	if [ -x "$${PG_BIN:-/usr/lib/postgresql/15/bin}/initdb" ]; then \
		scripts/with-postgres $(BUILD_DIR)/bin/bench_request --rows 1000000 --varo-report --postgres --xlsx; \
	else \
		$(BUILD_DIR)/bin/bench_request --rows 1000000 --varo-report --xlsx; \
	fi
	$(BUILD_DIR)/bin/bench_viewer --file /tmp/varo-bench-1000000.db

clean:
	rm -rf $(BUILD_DIR)

format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run --Werror $(SOURCES)
