# The two commands of the README:
#   make run   installs the Debian packages, builds Sonaria and starts it
#   make test  installs the Debian packages, builds everything and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
WERROR ?= OFF

.PHONY: run test build configure setup clean gallery package

setup:
	@bash scripts/setup

configure: setup
	cmake -S . -B $(BUILD) -DSONARIA_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Builds only the program and starts it; without a stored account, with the demo
# server and the login page filled in for it.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target sonaria
	bash scripts/run-demo $(BUILD)

gallery: build
	cd $(BUILD) && ./vell-gallery

# The Debian package, $(BUILD)/sonaria_<version>_<arch>.deb.
package: build
	cd $(BUILD) && cpack -G DEB

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
