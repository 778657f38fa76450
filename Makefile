# The two commands of the README: `make run` and `make test`. Both set up what they need.
BUILD ?= build
CMAKE_DIR = $(BUILD)/cmake

.PHONY: all setup configure build run test bench clean

all: build

setup:
	@BUILD=$(BUILD) tools/setup.sh

configure: setup
	@cmake -S . -B $(CMAKE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null

build: configure
	@cmake --build $(CMAKE_DIR)
	@cp -f $(CMAKE_DIR)/vemlora.exe $(BUILD)/vemlora.exe

run: build
	@BUILD=$(BUILD) tools/run.sh

test: build
	@BUILD=$(BUILD) tools/test.sh

bench: build
	@BUILD=$(BUILD) tools/bench.sh

clean:
	rm -rf $(BUILD)
