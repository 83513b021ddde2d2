# Quick start on a fresh Debian machine:
#   make demo   installs the packages, builds, and rates the sample design day
#   make test   installs the packages, builds, and runs the whole test suite, then the same
#               suite under AddressSanitizer and UndefinedBehaviorSanitizer, 10 s of each
#               fuzz target, a few complete ratings under valgrind, and the COM server under
#               Wine (com.mk)
#   make package  the Debian package $(BUILD)/novaflux_<version>_amd64.deb of the build (CPack)
#   make com    the COM server for Windows hosts in build-com/ (com.mk); make com-kit the Windows kit
BUILD ?= build
JOBS ?= 2
APT_PACKAGES = build-essential cmake ninja-build pkg-config libsqlite3-dev sqlite3 \
  nlohmann-json3-dev libcli11-dev libboost-dev libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev valgrind \
  pybind11-dev python3-pybind11 python3-dev python3-numpy python3-pandas python3-dask python3-distributed \
  python3-pytest python3-setuptools python3-pip python3-wheel python3-venv \
  chromium chromium-driver python3-selenium help2man dpkg-dev lintian
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

# The sanitizer tree: clang, -fsanitize=address,undefined, the libFuzzer targets built
# alongside (fuzz/run.sh configures the same way, so nothing is built twice).
ASAN_BUILD ?= $(BUILD)-asan
ASAN_CMAKE = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DNOVAFLUX_SANITIZE=ON -DNOVAFLUX_FUZZ=ON
# make test fuzzes each target briefly; `make fuzz FUZZ_SECONDS=600` for a long run.
FUZZ_SECONDS ?= 60
TEST_FUZZ_SECONDS ?= 10
VALGRIND = valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite

.PHONY: deps build demo test package test-sanitize fuzz valgrind bench count-tests clean

deps:
	@missing=""; for p in $(APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/bin/novaflux rate examples/si_design_day.json --format table

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure
	$(MAKE) --no-print-directory test-sanitize valgrind
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)
	$(MAKE) --no-print-directory test-com

# The Debian package of the build tree, laid out by its install rules below /usr (packaging/).
package: build
	cd $(BUILD) && cpack -G DEB

# The whole test suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer: any
# report fails the test that caused it.
test-sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja $(ASAN_CMAKE) >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=check_initialization_order=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN_BUILD) -j $(JOBS) --output-on-failure

# Each libFuzzer target for FUZZ_SECONDS on its committed seed corpus (fuzz/corpus/).
fuzz: deps
	FUZZ_BUILD=$(ASAN_BUILD) JOBS=$(JOBS) fuzz/run.sh $(FUZZ_SECONDS)

# Complete ratings of the normal build under valgrind: any memory error or definite leak fails.
# The tool exits 2 for a rating that fails cleanly; valgrind's own status is 99.
valgrind: build
	@set -e; run() { echo "valgrind: $$*"; st=0; $(VALGRIND) "$$@" >/dev/null || st=$$?; \
	  if [ $$st -ne 0 ] && [ $$st -ne 2 ]; then echo "valgrind: status $$st" >&2; exit 1; fi; }; \
	run $(BUILD)/bin/novaflux rate examples/si_design_day.json; \
	run $(BUILD)/bin/novaflux rate examples/ip_design_day.json --format table; \
	run $(BUILD)/bin/novaflux rate examples/si_design_day.json --model TXL_1400_Q_480_Condensation; \
	run $(BUILD)/bin/novaflux rate fuzz/corpus/rate_json/altitude_high.json; \
	run $(BUILD)/bin/novaflux rate fuzz/corpus/rate_json/si_grains.json; \
	run $(BUILD)/bin/c_api_c_test

# Lines of test code against product code (the rule of README "Development").
count-tests:
	@f() { git ls-files | grep -E '\.(c|cc|cpp|h|hpp|py|sh|js|idl|rc|vbs|cmd|bas|cs)$$' | grep -E "$$@" | xargs cat | wc -l; }; \
	t=$$(f '^(tests|fuzz)/'); p=$$(f -v '^(tests|fuzz|bench|examples|scripts|data|docs|\.ci)/'); \
	echo "test $$t product $$p: $$((100 * t / p)) %"

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOVAFLUX_TESTS=OFF -DNOVAFLUX_BENCH=ON >/dev/null
	cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bin/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(ASAN_BUILD) $(COM_DIR)

include com.mk
