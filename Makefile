# embark: build, test and demo from a fresh Debian machine.
#   make setup   install what building and testing need (apt-get, idempotent)
#   make build   build every preset: build/linux, build/win64, build/win32
#   make test    setup, build, then every test layer through CTest
#   make demo    run the sample application through the Linux launcher
#   make bench   the benchmarks under bench/

PRESETS := linux win64 win32

# Packages of the native architecture, then the 32-bit Wine (i386).
PACKAGES := cmake make g++ python3 git \
	googletest libgtest-dev libgmock-dev libbenchmark-dev \
	g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
	binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
	wine wine64 wine32:i386 xvfb xauth \
	openjdk-17-jdk-headless ant hyperfine

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: setup build test demo bench clean $(PRESETS)

setup:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		dpkg --print-foreign-architectures | grep -qx i386 || $(SUDO) dpkg --add-architecture i386; \
		$(SUDO) apt-get update -qq && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	else \
		echo "All packages are installed."; \
	fi

$(PRESETS):
	cmake --preset $@ >/dev/null
	cmake --build --preset $@

build: $(PRESETS)

test: setup
	$(MAKE) build
	ctest --preset linux

demo: setup
	$(MAKE) linux
	@bash examples/hello/run-demo.sh

bench: setup
	$(MAKE) build
	@bash bench/run.sh

clean:
	rm -rf build
