# Entry points: `make demo` and `make test` each set up a fresh machine first.
BUILD     ?= build
RELEASE   ?= build/release
FUZZBUILD ?= build/fuzz
JOBS      ?= $(shell nproc)

DEB_PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
  libgtest-dev libgmock-dev libbenchmark-dev libusb-1.0-0-dev umockdev libumockdev-dev \
  libsqlcipher-dev sqlcipher libsqlite3-0 hyperfine nlohmann-json3-dev \
  cups-daemon cups-client cups-ipp-utils libcups2-dev \
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libxcb1-dev xvfb trayer xdotool x11-utils \
  fonts-wqy-microhei

.PHONY: deps build check test demo bench fuzz clean

# Installs only what is missing, so a second run does nothing.
deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_SANITIZE=ON

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# The quick loop: unit and process tests of the Debug build, no slow tests,
# no fuzzing.
check: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300 -L 'unit|process'

# The full gate that CI runs: every test, then the fuzz targets.
test: build fuzz
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

demo: build
	bash tools/demo.sh $(BUILD)

$(RELEASE)/build.ninja:
	cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQZ_BENCHMARKS=ON

bench: deps $(RELEASE)/build.ninja
	cmake --build $(RELEASE) -j $(JOBS)
	bash tools/bench.sh $(RELEASE)

$(FUZZBUILD)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ_FUZZ=ON

# The fuzz targets run for a fixed time each; see tools/fuzz.sh.
fuzz: deps $(FUZZBUILD)/build.ninja
	cmake --build $(FUZZBUILD) -j $(JOBS) --target fuzz_targets
	bash tools/fuzz.sh $(FUZZBUILD)

clean:
	rm -rf build
