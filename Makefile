# The two commands a person needs: `make run` and `make test`.
# Both install what is missing, configure, build, then run.

BUILD_DIR ?= build
# The Windows cross build (mingw-w64), whose tests run under Wine.
WIN_BUILD_DIR ?= build-win
# The suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# built with clang, with the fuzz targets.
SAN_BUILD_DIR ?= build-san
# `make fuzz`: seconds per fuzz target, and which targets (all when empty).
FUZZ_TIME ?= 60
FUZZ_TARGETS ?=
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

# Where `make install` puts the program: per user by default; PREFIX=/usr/local
# (with sudo) for every user of the machine, whose menus look there too.
PREFIX ?= $(HOME)/.local

.PHONY: all deps configure build test test-san test-win test-windows windows fuzz run bench screenshots install uninstall deb clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@scripts/test-san.sh $(SAN_BUILD_DIR)
	@scripts/test-win.sh $(WIN_BUILD_DIR)

test-san: deps
	@scripts/test-san.sh $(SAN_BUILD_DIR)

fuzz: deps
	@scripts/fuzz.sh $(SAN_BUILD_DIR) $(FUZZ_TIME) $(FUZZ_TARGETS)

test-win: deps
	@scripts/test-win.sh $(WIN_BUILD_DIR)

# The Windows kit (Qt, SQLite, libsodium for mingw-w64; built once per
# machine into ~/.cache/varnel-zize), then the Windows programs' tests and
# their proofs under Wine.
test-windows: deps
	@scripts/windows-kit.sh >/dev/null
	@scripts/test-win.sh $(WIN_BUILD_DIR)

# The Windows program folder $(WIN_BUILD_DIR)/Varnel/, its zip and the setup
# program; signed with WINDOWS_SIGN_CERT=<cert.pem> WINDOWS_SIGN_KEY=<key.pem>
# [WINDOWS_SIGN_TIMESTAMP=<URL>] (scripts/windows-build.sh).
windows: deps
	@scripts/windows-build.sh $(WIN_BUILD_DIR)

run: build
	@scripts/run.sh $(BUILD_DIR)/Varnel

bench: build
	cmake --build $(BUILD_DIR) --target benchmarks -j $(JOBS)
	@scripts/bench.sh $(BUILD_DIR)

screenshots: configure
	cmake --build $(BUILD_DIR) --target screenshots -j $(JOBS)

install: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# Removes what the last `make install` from this build folder put there.
uninstall:
	cmake -DMANIFEST=$(BUILD_DIR)/install_manifest.txt -P packaging/uninstall.cmake

# The Debian package, into $(BUILD_DIR).
deb: build
	cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(WIN_BUILD_DIR) $(WIN_BUILD_DIR)-engine $(WIN_BUILD_DIR)-host $(WIN_BUILD_DIR)-signed $(WIN_BUILD_DIR)-signed-host $(SAN_BUILD_DIR)
