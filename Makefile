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

# The frame benchmark (Release, headless, no audio device): time per frame against the frame's
# own drawing floor, allocations during play and start-up time, on the generated pictures.
.PHONY: bench
bench: bootstrap
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target frame_bench
	@$(BUILD_DIR)/bench/frame_bench $(BUILD_DIR)/game
