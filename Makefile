# Thin entry points: each target installs what it needs, then drives the CMake presets.
.PHONY: all setup build build-win32 build-host test demo dist bench fuzz mutate clean

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

# The tests' Wine prefix (and its display) is made before the test runs start: on a fresh clone
# that is a wineboot of about 12 s, setting up the machine rather than testing anything.
test: build
	@build/win32/wine-run --start && build/win32/wine-run --stop
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

# Mutation score in build trees of its own; `make mutate N=40` runs at most 40 more mutants.
mutate: setup
	@tools/mutate $(if $(N),--limit $(N)) $(if $(SEED),--seed $(SEED)) $(if $(SIZE),--size $(SIZE)) \
		$(if $(ONLY),--only $(ONLY)) \
		$(if $(TIMEOUT),--timeout $(TIMEOUT)) $(if $(RESULTS),--results $(RESULTS))

clean:
	rm -rf build dist
