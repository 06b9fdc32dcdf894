# The two commands of the README:
#   make demo   install what is missing, build, run the demo application
#   make test   install what is missing, build with sanitizers, run the whole test suite
.PHONY: demo test deps build bench snapshots clean

BUILD ?= build/release
TESTBUILD ?= build/asan

deps:
	tools/setup.sh deps

build: deps
	tools/setup.sh build $(BUILD)

demo: build
	$(BUILD)/demo/xoStintDemo

snapshots: build
	$(BUILD)/demo/xoStintDemo --snapshot snapshots

test: deps
	tools/setup.sh build $(TESTBUILD) 1
	cd $(TESTBUILD) && ctest --output-on-failure

bench: build
	for b in $(BUILD)/bench/bench_*; do $$b; done

clean:
	rm -rf build
