# embark: build, test and demo from a fresh Debian machine.
#   make setup     install what building and testing need (apt-get, idempotent)
#   make build     build every preset: build/linux, build/win64, build/win32
#   make test      setup, build, then every test layer through CTest
#   make test-x86  a smoke subset of the x86 tests, under emulation where 32-bit programs cannot run (opt-in, slow)
#   make demo      run the sample application through the Linux launcher (installs only what that needs)
#   make bench     the benchmarks under bench/
#   make dist      the release archives in dist/ (with SHA256SUMS), from a fresh build of every preset

PRESETS := linux win64 win32

# Packages of the native architecture, then the 32-bit Wine (i386).
PACKAGES := cmake make g++ python3 git \
	googletest libgtest-dev libgmock-dev libbenchmark-dev \
	g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
	binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
	wine wine64 wine32:i386 xvfb xauth \
	openjdk-17-jdk-headless ant hyperfine
DEMO_PACKAGES := cmake make g++ openjdk-17-jdk-headless
EMULATION_PACKAGES := qemu-user-static binfmt-support
# The startup cache's benchmark starts Maven and a Swing window (AWT needs the full runtime).
BENCH_PACKAGES := maven openjdk-17-jre

# The x86 smoke subset: a start through the stand-in runtime with a command line, and the full exit code -1.
X86_SMOKE_MODULES := test_vm_wine
X86_SMOKE_TESTS := test_start_hands_over_the_options_environment_and_arguments test_only_the_settings_file_named_after_the_executable_is_read
WINE32 := /usr/lib/wine/wine
BINFMT := /proc/sys/fs/binfmt_misc
# i386 ELF executables and shared objects, as qemu's own binfmt table matches them.
I386_MAGIC := \x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00
I386_MASK := \xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff
I386_BINFMT := embark-i386 /usr/bin/qemu-i386-static

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: setup build test test-x86 x86-smoke x86-emulated demo bench dist clean $(PRESETS)

# `make setup PACKAGES="..."` installs another list.
setup:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		case "$$missing" in *:i386*) \
			dpkg --print-foreign-architectures | grep -qx i386 || $(SUDO) dpkg --add-architecture i386;; \
		esac; \
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

test-x86: setup
	$(MAKE) build
	@if $(WINE32) --version >/dev/null 2>&1; then \
		echo "x86 programs run natively here."; $(MAKE) --no-print-directory x86-smoke; \
	else \
		$(MAKE) --no-print-directory x86-emulated; \
	fi

x86-smoke:
	EMBARK_TEST_SELECTION="$(X86_SMOKE_TESTS)" ctest --preset linux --timeout 3600 \
		-R '^wine\.win32\.($(X86_SMOKE_MODULES))$$'

# qemu-user runs the i386 programs for the kernel (binfmt_misc) for this run only: left registered, it would make
# every later `make test` run the x86 tests under emulation.
x86-emulated:
	@echo "x86 programs cannot run natively here: running the smoke subset under qemu-user (minutes per start)."
	$(MAKE) --no-print-directory setup PACKAGES="$(EMULATION_PACKAGES)"
	mountpoint -q $(BINFMT) || $(SUDO) mount -t binfmt_misc binfmt_misc $(BINFMT)
	trap '$(SUDO) update-binfmts --package embark --remove $(I386_BINFMT)' EXIT; \
	$(SUDO) update-binfmts --package embark --install $(I386_BINFMT) \
		--magic '$(I386_MAGIC)' --mask '$(I386_MASK)' --fix-binary yes && \
	EMBARK_COMMAND_TIMEOUT=1800 $(MAKE) --no-print-directory x86-smoke

demo:
	$(MAKE) --no-print-directory setup PACKAGES="$(DEMO_PACKAGES)"
	@[ -f build/linux/CMakeCache.txt ] || cmake --preset linux -DEMBARK_TESTS=OFF >/dev/null
	cmake --build --preset linux --target embark
	@bash examples/hello/run-demo.sh

bench: setup
	$(MAKE) --no-print-directory setup PACKAGES="$(BENCH_PACKAGES)"
	$(MAKE) build
	@python3 bench/run.py

dist: setup
	$(MAKE) build
	@python3 packaging/make_dist.py dist

clean:
	rm -rf build dist
