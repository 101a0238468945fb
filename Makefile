# Ghoulrun: `make run` plays, `make test` runs every test, `make lint` runs the static checks.
# All of them install what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
# WERROR=ON turns compiler warnings into errors, as CI builds (.ci/run).
WERROR ?= OFF
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release -DGHOULRUN_WERROR=$(WERROR)

.PHONY: run test build bootstrap clean lint

bootstrap:
	@scripts/bootstrap.sh

build: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cd $(BUILD_DIR)/game && ./ghoulrun

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)

# The browser build in $(BUILD_DIR)/web: index.html, ghoulrun.js with its .wasm and worker, and
# ghoulrun.data, the pictures, sounds and music the desktop build generates (made here first).
# scripts/web_deps.sh installs emscripten and Chromium and builds SDL 2, SDL2_mixer and inih for
# WebAssembly once, into a cache outside the clone; the build itself is in $(BUILD_DIR)/web-build.
.PHONY: web serve-web
web: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target ghoulrun_assets
	@JOBS=$(JOBS) WERROR=$(WERROR) scripts/web_build.sh $(BUILD_DIR)

# Serves $(BUILD_DIR)/web on this machine, with the headers the page's threads need, and prints
# its address (port WEB_PORT, 8046 unless given).
WEB_PORT ?= 8046
serve-web:
	@python3 scripts/serve_web.py $(BUILD_DIR)/web $(WEB_PORT)

# The golden replays in the browser build (tests/web/golden.mjs): each recording must give the
# desktop's state digest.
.PHONY: web-golden
web-golden: web
	@tests/web/run_page.sh $(BUILD_DIR) golden.mjs tests/data/replays

# The browser build's frame times in headless Chromium (bench/web_frame_times.cpp, run by
# tests/web/frame_times.mjs): p50 and p95 of the frame function and of the time between frame
# starts, the browser's part included, with 100, 300 and 1000 enemies. A measurement, not a check.
.PHONY: web-frame-times
web-frame-times: web
	@JOBS=$(JOBS) WERROR=$(WERROR) scripts/web_build.sh $(BUILD_DIR) web_frame_times >/dev/null
	@tests/web/run_page.sh $(BUILD_DIR) frame_times.mjs

# Every real-browser check of the page (tests/web/checks.mjs: start, key colours, Right, Space,
# mute, the card, a reload; tests/web/pad.mjs: the pause on losing focus, a gamepad plugged in once
# the game runs) and the golden replays; fails on any failure. Screenshots in $(BUILD_DIR)/web-shots.
.PHONY: test-web
test-web: web
	@mkdir -p $(BUILD_DIR)/web-shots
	@tests/web/run_page.sh $(BUILD_DIR) checks.mjs $(BUILD_DIR)/web-shots
	@tests/web/run_page.sh $(BUILD_DIR) pad.mjs
	@tests/web/run_page.sh $(BUILD_DIR) golden.mjs tests/data/replays

# clang-format, cppcheck and clang-tidy (scripts/lint.sh); clang-tidy reads the build's
# compile_commands.json, so this configures the build first. A fresh tree and one the tests were
# built in lint alike.
lint: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@JOBS=$(JOBS) scripts/lint.sh $(BUILD_DIR)

# A player's install under $(PREFIX), laid out as Debian lays out its games: the binary in games/
# (with a bin/ghoulrun link), its data in share/games/ghoulrun, the menu entry, the icons, the
# manual page and the AppStream metadata in share/. DESTDIR, when given, goes in front of it all
# for staging. The install rules are CMake's (dist/CMakeLists.txt), shared with `make package`.
# make uninstall, with the same PREFIX and DESTDIR, removes what that install put there.
PREFIX ?= $(HOME)/.local
# What each install put where, by destination, for make uninstall.
INSTALL_RECORDS = $(BUILD_DIR)/install-manifests

# Sets prefix (PREFIX made absolute from the project folder) and record (the install's manifest).
install_destination = case "$(PREFIX)" in \
	    "") echo "$@: PREFIX is empty" >&2; exit 1 ;; \
	    /*) prefix="$(PREFIX)" ;; \
	    *) prefix="$(CURDIR)/$(PREFIX)" ;; \
	esac; \
	record="$(INSTALL_RECORDS)/$$(printf '%s' "$(DESTDIR)$$prefix" | tr / %).txt"

.PHONY: install uninstall package screenshot

install: build
	@set -e; $(install_destination); \
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$$prefix" >/dev/null; \
	mkdir -p $(INSTALL_RECORDS); \
	cp $(BUILD_DIR)/install_manifest.txt "$$record"; \
	echo "installed $(DESTDIR)$$prefix/games/ghoulrun (data in $(DESTDIR)$$prefix/share/games/ghoulrun)"

uninstall:
	@set -e; $(install_destination); \
	[ -f "$$record" ] || { echo "uninstall: nothing installed in $(DESTDIR)$$prefix from $(BUILD_DIR)" >&2; exit 1; }; \
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST="$$record" -DPREFIX="$$prefix" \
	    -P $(BUILD_DIR)/dist/uninstall.cmake >/dev/null; \
	rm -f "$$record"; \
	echo "removed what was installed in $(DESTDIR)$$prefix"

# The Debian package, $(BUILD_DIR)/ghoulrun_<version>_<architecture>.deb: the binary in /usr/games,
# the data in /usr/share/games/ghoulrun, its dependencies worked out from its shared libraries.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB

# Refreshes docs/screenshot.png from the end-to-end enemies scenario (the hero in a crowd) and
# docs/results_card.png from the results scenario (the card after a second run).
screenshot: build
	@mkdir -p docs
	@E2E_SCREENSHOT="$(CURDIR)/docs/screenshot.png" E2E_CARD_SCREENSHOT="$(CURDIR)/docs/results_card.png" \
	    ctest --test-dir $(BUILD_DIR) --output-on-failure -R '^e2e\.(enemies|results)$$'
	@echo "docs/screenshot.png and docs/results_card.png refreshed"

# Refreshes docs/web_page.png, the browser build's page in play, from the page checks.
.PHONY: web-screenshot
web-screenshot: web
	@mkdir -p docs $(BUILD_DIR)/web-shots
	@tests/web/run_page.sh $(BUILD_DIR) checks.mjs $(BUILD_DIR)/web-shots
	@cp $(BUILD_DIR)/web-shots/web-page.png docs/web_page.png
	@echo "docs/web_page.png refreshed"

# One PNG of every catalogue picture with its index, for looking the data set over.
.PHONY: contact-sheet
contact-sheet: build
	@tools/contact_sheet.sh $(BUILD_DIR)/game src/sprites/sprite_list.h $(BUILD_DIR)/contact-sheet.png

# The frame benchmark (Release, headless, no audio device): time per frame against the floors of
# its own work, allocations during play and start-up time, on the generated pictures; then the
# plot of frame time against the number of enemies (docs/frame_times.png, shown in the README).
.PHONY: bench
bench: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target frame_bench
	@$(BUILD_DIR)/bench/frame_bench $(BUILD_DIR)/game $(BUILD_DIR)/bench/frame_times.dat
	@mkdir -p docs
	@gnuplot -e "data='$(BUILD_DIR)/bench/frame_times.dat'; picture='docs/frame_times.png'" \
	    bench/frame_times.gp
	@echo "docs/frame_times.png refreshed"

# The frame benchmark of BASE (a commit) beside the working tree's, in turns on this machine
# (scripts/bench_compare.sh): each scenario's frame time side by side, their ratio and spreads.
# BASE's benchmark is built once in $(BUILD_DIR)/bench-compare/<sha>; ROUNDS, BENCH_COMPARE_N,
# BENCH_REPS and BENCH_FRAMES change what is run.
.PHONY: bench-compare
bench-compare: bootstrap
	@[ -n "$(BASE)" ] || { echo "bench-compare: give BASE=<commit>" >&2; exit 1; }
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target frame_bench
	@JOBS=$(JOBS) scripts/bench_compare.sh $(BUILD_DIR) $(BASE)

# The end-to-end scenarios five times in a row beside a CPU hog on one core (stress-ng): they
# must pass on a busy machine too. RUNS=n for another count.
.PHONY: e2e-under-load
e2e-under-load: build
	@RUNS=$(or $(RUNS),5) scripts/e2e_under_load.sh $(BUILD_DIR)

# The sanitizers: every test but the real-window ones under AddressSanitizer with
# UndefinedBehaviorSanitizer and LeakSanitizer (in build-sanitize), and the threaded sound tests
# under ThreadSanitizer (in build-tsan). Any report fails.
.PHONY: sanitize soak fuzz

sanitize: bootstrap
	@JOBS=$(JOBS) scripts/sanitize.sh asan
	@JOBS=$(JOBS) scripts/sanitize.sh tsan

# The libFuzzer targets (tests/fuzz), built with clang in $(BUILD_DIR)/fuzz, each fuzzed for
# FUZZ_SECONDS. What they learn stays in $(BUILD_DIR)/fuzz/corpus; an input that fails is left in
# $(BUILD_DIR)/fuzz/findings.
FUZZ_SECONDS ?= 300
fuzz: bootstrap
	@JOBS=$(JOBS) scripts/fuzz.sh build $(BUILD_DIR)/fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh run $(CURDIR)/$(BUILD_DIR)/fuzz

# Five minutes of random play on an X server of its own, the plain game beside its
# AddressSanitizer build: it must keep drawing, keep its memory and stay silent (tests/soak).
soak: build
	@JOBS=$(JOBS) scripts/sanitize.sh asan-build
	@E2E_ARTIFACTS="$(CURDIR)/$(BUILD_DIR)/soak-artifacts" bash tests/soak/soak.sh 300 \
	    "$(BUILD_DIR)/game" "$(BUILD_DIR)/e2e-tools/libghoulrun_game_freeze.so" \
	    build-sanitize/game/ghoulrun

# The crowd soak: ten minutes of game time (MINUTES=n for another length) with thousands of enemies,
# headless, under AddressSanitizer with UndefinedBehaviorSanitizer and LeakSanitizer, under
# ThreadSanitizer and on the plain crowding pass; no report, the same final state every time
# (scripts/soak_crowd.sh). About an hour and a half on two busy cores.
.PHONY: soak-crowd
soak-crowd: build
	@JOBS=$(JOBS) scripts/soak_crowd.sh $(BUILD_DIR) $(or $(MINUTES),10)

# The golden replays (tests/data/replays): replays each recording headless and writes what it gives
# as its expected output. For a change of the game's behaviour that is meant; review the diff.
.PHONY: golden-refresh
golden-refresh: build
	@for recording in tests/data/replays/*.rec; do \
	    bash tests/replay/golden.sh --refresh "$$(basename "$$recording" .rec)" \
	        $(BUILD_DIR)/game || exit 1; \
	done

# A mutation run (scripts/mutation.sh): MUTANTS small faults (10 unless given) made one at a time in
# src/, the quick tests run against each, and which of them no test noticed. SEED picks the sites,
# the same ones again for the same seed; without it, the time does. One rebuild per mutant: slow.
.PHONY: mutation
mutation: build
	@JOBS=$(JOBS) scripts/mutation.sh $(BUILD_DIR) $(or $(MUTANTS),10) $(SEED)

# Lines of tests against lines of code, per folder (scripts/line_count.sh).
.PHONY: line-count
line-count:
	@scripts/line_count.sh
