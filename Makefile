# Front door. Every target installs what it needs first.
#   make test   build both architectures, make fresh rigs (Wine prefixes with the package
#               installed and the virtual mixer loaded), run every test, print where the time went
#   make demo   the main job on the virtual mixer
#   make package  the Windows Installer package dist/RKX-T2-<version>-x64.msi
#   make bench  timing figures (streaming completion periods)
#   make stress bad input, faults and load, at full length
#   make screenshots  the settings utility in every language, tab and state, as PNG files
SHELL := /bin/bash

.PHONY: all deps build package prefix test demo bench stress screenshots clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	@scripts/build.sh

package: build
	@scripts/package.sh

prefix: deps
	@scripts/make-prefix.sh

test: build
	@scripts/run-tests.sh

demo: build
	@scripts/demo.sh

bench: build
	@scripts/bench.sh

stress: build
	@scripts/stress.sh

screenshots: build
	@scripts/screenshots.sh

clean:
	@/usr/lib/wine/wineserver64 -k 2>/dev/null || true
	rm -rf build dist
