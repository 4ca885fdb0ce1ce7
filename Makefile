# The two commands of the README:
#   make run   installs the Debian packages, builds Sonaria and starts it
#   make test  installs the Debian packages, builds everything and runs every test
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
WERROR ?= OFF

.PHONY: run test build setup clean gallery

setup:
	@bash scripts/setup

build: setup
	cmake -S . -B $(BUILD) -DSONARIA_WERROR=$(WERROR) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD) && ./sonaria

gallery: build
	cd $(BUILD) && ./vell-gallery

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
