# The two commands of the README: `make run` and `make test`. Both set up what they need.
BUILD ?= build
CMAKE_DIR = $(BUILD)/cmake
# The 32-bit program for Windows 95, 98 and NT 4 (and every later Windows).
I686_DIR = $(BUILD)/i686
# The machine's two cores are shared: at most two compilers at once.
JOBS ?= 2

.PHONY: all setup configure build run test bench clean

all: build

setup:
	@BUILD=$(BUILD) tools/setup.sh

configure: setup
	@cmake --no-warn-unused-cli -S . -B $(CMAKE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DVEMLORA_I686_DIR=$(abspath $(I686_DIR)) >/dev/null
	@cmake --no-warn-unused-cli -S . -B $(I686_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DVEMLORA_OLD_SYSTEMS=ON >/dev/null

build: configure
	@cmake --build $(CMAKE_DIR) --parallel $(JOBS)
	@cmake --build $(I686_DIR) --parallel $(JOBS)
	@cp -f $(CMAKE_DIR)/vemlora.exe $(BUILD)/vemlora.exe

run: build
	@BUILD=$(BUILD) tools/run.sh

test: build
	@BUILD=$(BUILD) tools/test.sh

bench: build
	@BUILD=$(BUILD) tools/bench.sh

clean:
	rm -rf $(BUILD)

# The icon-file fuzz campaign (a few minutes): not part of `make test`.
.PHONY: fuzz
fuzz: build
	@cmake --build $(CMAKE_DIR) --parallel $(JOBS) --target icon_fuzz
	@BUILD=$(BUILD) tools/fuzz/fuzz.sh
