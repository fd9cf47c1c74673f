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
PACKAGES := build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools \
	libqt6opengl6-dev libgl-dev libasound2-dev alsa-utils libgtest-dev libgmock-dev \
	libbenchmark-dev xvfb xauth fonts-dejavu-core poppler-utils dbus-daemon \
	dbus-session-bus-common openbox trayer xdotool x11-utils \
	libcups2-dev cups cups-client cups-filters libxcb1-dev

# The timetable tests read exported files as a bidi-aware viewer shows them, and print CJK text;
# the lists' locale tests lay out CJK text in its own font.
PACKAGES += libfribidi-bin fonts-noto-cjk

.PHONY: all deps configure build program run test install clean

# The desktop tests read the display through libxcb; ALSA's null device is in libasound2-data.
PACKAGES += libxcb1-dev libasound2-data
# The dialog-width tests read where the controls are through the accessibility bus.
PACKAGES += at-spi2-core

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the program and its prayer library: the tests and benchmarks are not needed to run it.
program: configure
	cmake --build $(BUILD) -j $(JOBS) --target tallix-time tallixtime

run: program
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "Tallix Time starts on display $${DISPLAY:-$$WAYLAND_DISPLAY}; it lives in the tray."; \
	  echo "Close it with Exit in its tray menu or File menu, or press Ctrl+C here."; \
	  ./$(BUILD)/tallix-time; \
	else \
	  echo "No display: Tallix Time runs on a virtual display (xvfb-run), where no window can be seen."; \
	  echo "It keeps running and sounds the athans; stop it with Ctrl+C here."; \
	  xvfb-run -a ./$(BUILD)/tallix-time; \
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
