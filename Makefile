# Thin entry points: each target installs what it needs, then drives the CMake presets.
.PHONY: all setup build build-win32 build-host test demo dist bench fuzz clean

all: build

setup:
	@tools/setup

build-win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32

build-host: setup
	@cmake --preset host >/dev/null
	@cmake --build --preset host

build: build-win32 build-host

test: build
	@tools/run-tests

demo: build-win32
	@tools/demo

dist: build-win32
	@tools/dist

bench: setup
	@tools/bench
	@tools/bench-startup

fuzz: setup
	@tools/fuzz

clean:
	rm -rf build dist
