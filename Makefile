# Entry points for a fresh Debian 12 machine, run as your own user (sudo is used only to install
# the Debian packages that are missing, and to install into a prefix you cannot write):
#   make run      installs what is missing, builds in build/ and starts build/tallix-time
#   make test     installs what is missing, builds and runs every test with CTest
#   make install  builds the program and installs it under PREFIX (default /usr/local)
BUILD   ?= build
PREFIX  ?= /usr/local
JOBS    ?= $(shell nproc 2>/dev/null || echo 2)
# The end-to-end tests each run a desktop of their own: four at a time hold on a busy machine.
TEST_JOBS ?= 4
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# What building and running the program needs (make run, make install): the compiler and CMake,
# Qt with its Wayland plugin (for QT_QPA_PLATFORM=wayland), ALSA and its configuration, CUPS's
# library, XCB, a font, and Xvfb for a machine with no display.
RUN_PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools \
	libqt6opengl6-dev libgl-dev qt6-wayland libasound2-dev libasound2-data libcups2-dev \
	libxcb1-dev fonts-dejavu-core xvfb

# What the tests add (make test): the test and benchmark frameworks; a desktop of their own
# (xvfb-run, openbox, trayer, xdotool, the X tools, a session bus, the accessibility bus); a
# print server with its filters and CUPS's IPP Everywhere printer, and poppler-utils to read the
# pages back; bidi-aware reading of exported files and a CJK font for the locale tests; a
# headless Wayland compositor for the program run natively there.
TEST_PACKAGES := libgtest-dev libgmock-dev libbenchmark-dev alsa-utils xauth \
	poppler-utils dbus-daemon dbus-session-bus-common openbox trayer xdotool x11-utils \
	x11-xserver-utils at-spi2-core cups cups-client cups-filters cups-ipp-utils \
	libfribidi-bin fonts-noto-cjk weston

PACKAGES := $(RUN_PACKAGES) $(TEST_PACKAGES)

# The build tree has its tests when their packages are there (a tree `make test` configured
# keeps them); on a machine that only runs the program, the program alone is configured.
HAVE_TEST_PACKAGES := $(shell dpkg-query -W -f='$${Status}\n' libgtest-dev libgmock-dev \
	2>/dev/null | grep -c "install ok installed")
BUILD_TESTS := $(if $(filter 2,$(HAVE_TEST_PACKAGES)),ON,OFF)

.PHONY: all deps run-deps configure configure-program build program run test install clean

all: build

# Installs the Debian packages of the list that are missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

run-deps:
	$(call install_missing,$(RUN_PACKAGES))

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLIX_BUILD_TESTS=ON \
	  -DTALLIX_BUILD_BENCH=ON

configure-program: run-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTALLIX_BUILD_TESTS=$(BUILD_TESTS) -DTALLIX_BUILD_BENCH=$(BUILD_TESTS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program and its prayer library: the tests and benchmarks are not needed to run it.
program: configure-program
	cmake --build $(BUILD) -j $(JOBS) --target tallix-time tallixtime

# The program is the recipe's last command (exec), so Ctrl+C ends it and make returns once it has
# ended; without a display it runs on a virtual display of its own, which Ctrl+C leaves alone
# and which is stopped once the program has ended (tools/run-on-virtual-display.sh).
run: program
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "Tallix Time starts on display $${DISPLAY:-$$WAYLAND_DISPLAY}; it lives in the tray."; \
	  echo "Close it with Exit in its tray menu or File menu, or press Ctrl+C here."; \
	  exec "$(abspath $(BUILD))/tallix-time"; \
	else \
	  echo "No display: Tallix Time runs on a virtual display (Xvfb), where no window can be seen."; \
	  echo "It keeps running and sounds the athans; stop it with Ctrl+C here."; \
	  exec ./tools/run-on-virtual-display.sh "$(abspath $(BUILD))/tallix-time"; \
	fi

install: program
	@mkdir -p "$(PREFIX)" 2>/dev/null || true; \
	if [ -w "$(PREFIX)" ]; then \
	  cmake --install $(BUILD) --prefix "$(PREFIX)"; \
	else \
	  $(SUDO) cmake --install $(BUILD) --prefix "$(PREFIX)"; \
	fi

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(TEST_JOBS) --timeout 600

clean:
	rm -rf $(BUILD)
