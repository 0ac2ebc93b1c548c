# The two commands a user needs: `make run` and `make test`. Both install
# what is missing and build first.

BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
OP ?= ADDIZIONI

# Debian packages the build, the tests and the printouts need.
PACKAGES := cmake ninja-build g++ pkg-config \
	qt6-base-dev libgl-dev libfontconfig-dev libgtest-dev libgmock-dev libbenchmark-dev libxcb-xtest0-dev \
	qt6-charts-dev libqt6opengl6-dev libqt6sql6-sqlite libqt6sql6-psql postgresql util-linux \
	xvfb xauth xdotool openbox x11-xserver-utils imagemagick librsvg2-bin poppler-utils desktop-file-utils \
	dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0 \
	fonts-liberation2 fonts-urw-base35 fontconfig qt6-translations-l10n \
	clang libclang-rt-14-dev \
	cups-daemon cups-client openssl sqlite3 \
	apt dpkg-dev debhelper lintian appstream

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps build run test bench fuzz install deb deb-test screenshots clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed$$' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR)

run: build
	@scripts/run.sh $(BUILD_DIR) $(OP)

# Every test but the package's own (see deb-test).
test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2 -LE package

# Start-up judged against a window with one line of text (<= 1.10x; the
# empty Qt window, which reads no fonts, is shown beside it), a click to its
# frame on the real program, response times of every event path, the
# journal, a school's server under a lab's load, the teacher's window over a
# big journal, the family pages of a class, the full soak and the soak of the
# real windows.
bench: build
	@scripts/bench.sh $(BUILD_DIR)

# The settings reader under libFuzzer: FUZZ_SECONDS (default 60) of fuzzing.
fuzz: deps
	@scripts/fuzz.sh

# Installs under PREFIX (default /usr/local): the program, its seven copies
# and a desktop launcher for each.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package, built from a fresh copy of the sources and checked
# with lintian, appstreamcli and desktop-file-validate:
# build-deb/aritmetica_<version>_<arch>.deb.
deb: deps
	@scripts/deb.sh

# Installs that package on this machine, starts every copy from its desktop
# entry and purges the package again (as root).
deb-test: deb build
	$(SUDO) ctest --test-dir $(BUILD_DIR) --output-on-failure -L package

# Pictures of the main windows for the README, into docs/.
screenshots: build
	@scripts/screenshots.sh $(BUILD_DIR) docs

clean:
	rm -rf $(BUILD_DIR) build-asan build-deb
