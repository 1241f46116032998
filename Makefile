# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test build deps bench clean

run: build
	@rm -rf $(BUILD)/demo && mkdir -p $(BUILD)/demo
	@echo "== Converting the demo spectra in demo/ into $(BUILD)/demo"
	@$(BUILD)/src/sorvanecli convert --type simple --out $(BUILD)/demo demo/*.asc
	@for f in $(BUILD)/demo/*.chn; do echo; $(BUILD)/src/sorvanecli show "$$f"; done

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	@tools/install-deps.sh

bench: build
	$(BUILD)/bench/bench_convert

clean:
	rm -rf $(BUILD)
