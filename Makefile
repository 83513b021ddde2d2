# Quick start on a fresh Debian machine:
#   make demo   installs the packages, builds, and rates the sample design day
#   make test   installs the packages, builds, and runs the whole test suite
BUILD ?= build
JOBS ?= 2
APT_PACKAGES = build-essential cmake ninja-build pkg-config libsqlite3-dev sqlite3 \
  nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev valgrind
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps build demo test bench clean

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

bench: deps
	cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DNOVAFLUX_TESTS=OFF -DNOVAFLUX_BENCH=ON >/dev/null
	cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bin/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(BUILD)-bench
