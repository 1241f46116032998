# The two set-up commands of the README are `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test build programs configure deps deps-all bench test-sanitize fuzz ci clean test-windows package-windows package package-smoke format format-check

# The demo spectra of every format converted and analysed, their peak tables and
# nuclides printed, a plot beside each result and the Eu-152 activity with its
# report page; then, where a display is available, the window opens on the same demo
# (raw folder demo/, results in $(BUILD)/demo, identification on) so that "GO" works
# at once.
run: programs
	@rm -rf $(BUILD)/demo $(BUILD)/demo-config
	@echo "== Converting and analysing the demo spectra of demo/ into $(BUILD)/demo"
	@$(BUILD)/src/app/sorvanecli demo --out $(BUILD)/demo
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -x $(BUILD)/src/ui/qt/sorvane ]; then \
	    mkdir -p $(BUILD)/demo-config/sorvane && \
	    cp $(BUILD)/demo/system/sorvane.inf $(BUILD)/demo/system/sorvane.inf.nuclides \
	       $(BUILD)/demo-config/sorvane/ && \
	    echo "== Opening the window on the demo" && \
	    XDG_CONFIG_HOME=$(CURDIR)/$(BUILD)/demo-config $(BUILD)/src/ui/qt/sorvane; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure --no-tests=error -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only the window (when Qt is found), sorvanecli and the runtime: what `run` starts.
programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target programs

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

deps:
	@tools/install-deps.sh

# Every package any target needs (CI installs them in one stage of its own).
deps-all:
	@tools/install-deps.sh && tools/install-deps.sh windows && tools/install-deps.sh package

# The public test spectra with reference results, read in place from the shared data
# folder (REALDATA), scored like the IAEA intercomparisons (bench/reference/).
REALDATA ?= $(CURDIR)/../shared/realdata
bench: build
	$(BUILD)/bench/bench_convert
	$(BUILD)/bench/bench_convert_floor
	@if [ -d "$(REALDATA)/reference" ]; then \
	    python3 bench/reference/run_reference.py $(BUILD)/bench/runtime $(REALDATA)/reference $(BUILD)/bench-reference && \
	    python3 bench/runtime/real_spectra.py $(BUILD)/bench/runtime $(REALDATA)/chn $(BUILD)/bench-real \
	        --default-factors 0.25,0.5,1,2,4 | grep -e '==' -e '->' && \
	    python3 bench/efficiency/run_iaea_efficiency.py $(BUILD) $(REALDATA)/reference $(BUILD)/bench-efficiency; \
	else echo "no $(REALDATA)/reference: the reference benchmarks are skipped (set REALDATA)"; fi
	BUILD=$(BUILD) sh bench/nuclides/run_bench.sh 300 17
	@if [ -d "$(REALDATA)/iec" ]; then REALDATA=$(REALDATA) BUILD=$(BUILD) sh bench/nuclides/iec_samples.sh; fi
	$(BUILD)/bench/activity/bench_activity .
	$(BUILD)/bench/summing/bench_summing data/nuclides/cascades.csv 4000000
	@if [ -d "$(REALDATA)/reference/iaea2002" ]; then \
	    $(BUILD)/bench/summing/iaea_factors $(REALDATA)/reference/iaea2002 data/nuclides; fi
	$(BUILD)/bench/summing/iaea_attenuation data/nuclides
	python3 bench/summing/run_sum_spectra.py $(BUILD) data/nuclides $(BUILD)/bench-sum-spectra

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSORVANE_SANITIZE=ON -DSORVANE_BUILD_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure --no-tests=error -j $(JOBS) -L sanitize

# Every fuzz target for FUZZ_SECONDS seconds each, or FUZZ_RUNS runs each when given
# (CI's bounded runs).
FUZZ_SECONDS ?= 30
FUZZ_RUNS ?=
fuzz: deps
	tools/run-fuzz.sh $(if $(FUZZ_RUNS),--runs $(FUZZ_RUNS),--seconds $(FUZZ_SECONDS))

# Everything without Qt cross-built for Windows (mingw-w64) and tested under Wine.
WIN_BUILD ?= build-win
test-windows:
	@tools/install-deps.sh windows
	tools/run-windows-tests.sh $(WIN_BUILD)

# The Windows zip (sorvane.exe, sorvanecli.exe, run_Tovalu.exe, nuclides, demo,
# README), unpacked and tried under Wine: the demo and the window's first day.
package-windows:
	@tools/install-deps.sh windows
	tools/package-windows.sh $(WIN_BUILD)

# The Debian package (sorvane_VERSION_ARCH.deb in $(PKG_BUILD)); package-smoke
# installs it on this machine, runs the installed programs and removes it again.
# It is made from the main build, so CI builds the programs once.
package: build
	@tools/install-deps.sh package
	cd $(BUILD) && cpack
package-smoke: package
	tools/package-smoke.sh $(BUILD)

# The sources as the project's .clang-format writes them: `format` rewrites them,
# `format-check` lists the files that differ and fails.
SOURCES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(SOURCES)
format-check:
	@bad=$$(for f in $(SOURCES); do clang-format --dry-run --Werror "$$f" > /dev/null 2>&1 || echo "$$f"; done); \
	if [ -n "$$bad" ]; then echo "not clang-format clean (make format):"; echo "$$bad"; exit 1; fi

# What CI runs (.ci/run runs the same targets with the time of each).
ci: format-check test test-sanitize test-windows package-smoke
	$(MAKE) fuzz FUZZ_RUNS=20000

clean:
	rm -rf $(BUILD) build-asan build-fuzz $(WIN_BUILD)
