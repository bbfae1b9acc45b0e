# The two set-up commands of the README are `make demo` and `make test`. Each installs what
# is missing, configures, builds and runs.
BUILD      ?= build
BUILD_SAN  ?= build-san
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=

.PHONY: demo test sanitize fuzz bench deps build clean deb check screenshots

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

# The demo builds only what it runs: the module, the demo host and the TEF and Pix simulators.
demo: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target pdv-demo Pkg_zel tef-manager-sim pix-provider-sim
	bash scripts/run-demo.sh $(BUILD) --screenshots $(BUILD)/demo-output

# The house rules: formatting, the host header only in package/, no circle among the libraries.
check: deps
	bash scripts/check-structure.sh

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

sanitize: deps
	cmake -S . -B $(BUILD_SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZEL_SANITIZE=ON -DZEL_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(BUILD_SAN) -j $(JOBS)
	cd $(BUILD_SAN) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZEL_FUZZ=ON -DZEL_TESTS=OFF -DZEL_BENCH=OFF -DZEL_AREAS="services/text;services/dataset" $(CMAKE_ARGS)
	cmake --build $(BUILD_FUZZ) -j $(JOBS)
	bash scripts/run-fuzz.sh $(BUILD_FUZZ) $${FUZZ_SECONDS:-30}

# The benchmarks (Google Benchmark), offscreen on the simulated devices, in the release build;
# kept out of CTest and CI. Each run also leaves its figures in $(BUILD)/bench/*.json.
bench: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS) --target receipt_bench tef_bench dataset_bench search_bench startup_bench
	cd $(BUILD)/bench && QT_QPA_PLATFORM=offscreen ./receipt_bench --benchmark_out=receipt_bench.json
	cd $(BUILD)/bench && QT_QPA_PLATFORM=offscreen ./tef_bench --benchmark_out=tef_bench.json
	cd $(BUILD)/bench && QT_QPA_PLATFORM=offscreen ./dataset_bench --benchmark_out=dataset_bench.json
	cd $(BUILD)/bench && QT_QPA_PLATFORM=offscreen ./search_bench --benchmark_out=search_bench.json
	cd $(BUILD)/bench && QT_QPA_PLATFORM=offscreen ./startup_bench --benchmark_out=startup_bench.json

# The README's pictures: the dialogs (tests/screenshots) into $(BUILD)/screenshots/screenshots and
# the demo's samples, with the pictures their scripts take, into $(BUILD)/demo-output. A person
# picks the ones to copy into docs/screenshots.
screenshots: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ZEL_TEST_OUTPUT=$(CURDIR)/$(BUILD)/screenshots ./tests/screenshots/zel_screenshots
	bash scripts/run-demo.sh $(BUILD) --screenshots $(BUILD)/demo-output

# The Debian package, installed on this machine, its demo run from /usr/bin, and removed.
deb: build
	bash scripts/check-deb.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD_SAN) $(BUILD_FUZZ)
