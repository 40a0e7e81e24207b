# Set-up and everyday commands; each one installs what is missing first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build render play test test-asan test-tsan clean

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

render: build
	$(BUILD_DIR)/render/mivo

# Plays the song through the sound card while rendering it; a key stops it
# once rendering is done.
play: build
	$(BUILD_DIR)/player/mivoplay

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The tests under AddressSanitizer with UndefinedBehaviorSanitizer, and
# under ThreadSanitizer, each in a build of its own.
test-asan: deps
	cmake -S . -B $(BUILD_DIR)-asan -DCMAKE_BUILD_TYPE=Debug -DMIVO_SANITIZE=address,undefined
	cmake --build $(BUILD_DIR)-asan -j $(JOBS)
	ctest --test-dir $(BUILD_DIR)-asan --output-on-failure -j $(JOBS)

test-tsan: deps
	cmake -S . -B $(BUILD_DIR)-tsan -DCMAKE_BUILD_TYPE=Debug -DMIVO_SANITIZE=thread
	cmake --build $(BUILD_DIR)-tsan -j $(JOBS)
	ctest --test-dir $(BUILD_DIR)-tsan --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-asan $(BUILD_DIR)-tsan
