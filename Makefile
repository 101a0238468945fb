# Ghoulrun: `make run` plays, `make test` runs every test. Both install what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: run test build bootstrap clean

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

# A player's install: the game with its pictures, sounds and music in $(PREFIX)/share/ghoulrun,
# and a launcher $(PREFIX)/bin/ghoulrun that enters that folder first, since the game reads its
# data relative to its working folder. DESTDIR, when given, is put in front of both for staging.
PREFIX ?= $(HOME)/.local
GAME_FILES = ghoulrun images sfx pompeii.ogg

.PHONY: install screenshot

install: build
	@set -e; \
	case "$(PREFIX)" in \
	    "") echo "install: PREFIX is empty" >&2; exit 1 ;; \
	    /*) prefix="$(PREFIX)" ;; \
	    *) prefix="$$(pwd)/$(PREFIX)" ;; \
	esac; \
	data="$$prefix/share/ghoulrun"; \
	launcher="$(DESTDIR)$$prefix/bin/ghoulrun"; \
	rm -rf "$(DESTDIR)$$data"; \
	mkdir -p "$(DESTDIR)$$data" "$(DESTDIR)$$prefix/bin"; \
	cd "$(BUILD_DIR)/game"; \
	cp -R $(GAME_FILES) "$(DESTDIR)$$data/"; \
	printf '#!/bin/sh\n# Ghoulrun reads images/, sfx/ and pompeii.ogg from its working folder.\ncd "%s" || exit 1\nexec ./ghoulrun "$$@"\n' "$$data" >"$$launcher"; \
	chmod 755 "$$launcher"; \
	echo "installed $$launcher (data in $$data)"

# Refreshes docs/screenshot.png from the end-to-end enemies scenario (the hero in a crowd).
screenshot: build
	@mkdir -p docs
	@E2E_SCREENSHOT="$(CURDIR)/docs/screenshot.png" \
	    ctest --test-dir $(BUILD_DIR) --output-on-failure -R '^e2e\.enemies$$'
	@echo "docs/screenshot.png refreshed"

# One PNG of every catalogue picture with its index, for looking the data set over.
.PHONY: contact-sheet
contact-sheet: build
	@tools/contact_sheet.sh $(BUILD_DIR)/game src/sprites/sprite_catalogue.cpp $(BUILD_DIR)/contact-sheet.png

# The frame benchmark (Release, headless, no audio device): time per frame against the frame's
# own drawing floor, allocations during play and start-up time, on the generated pictures.
.PHONY: bench
bench: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target frame_bench
	@$(BUILD_DIR)/bench/frame_bench $(BUILD_DIR)/game

# The end-to-end scenarios five times in a row beside a CPU hog on one core (stress-ng): they
# must pass on a busy machine too. RUNS=n for another count.
.PHONY: e2e-under-load
e2e-under-load: build
	@RUNS=$(or $(RUNS),5) scripts/e2e_under_load.sh $(BUILD_DIR)

# The sanitizers: every test but the real-window ones under AddressSanitizer with
# UndefinedBehaviorSanitizer and LeakSanitizer (in build-sanitize), and the threaded sound tests
# under ThreadSanitizer (in build-tsan). Any report fails.
.PHONY: sanitize soak

sanitize: bootstrap
	@JOBS=$(JOBS) scripts/sanitize.sh asan
	@JOBS=$(JOBS) scripts/sanitize.sh tsan

# Five minutes of random play on an X server of its own, the plain game beside its
# AddressSanitizer build: it must keep drawing, keep its memory and stay silent (tests/soak).
soak: build
	@JOBS=$(JOBS) scripts/sanitize.sh asan-build
	@SOAK_ARTIFACTS="$(CURDIR)/$(BUILD_DIR)/soak-artifacts" bash tests/soak/soak.sh 300 \
	    "$(BUILD_DIR)/game" "$(BUILD_DIR)/soak-tools/libghoulrun_frame_counter.so" \
	    build-sanitize/game/ghoulrun
