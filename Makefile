# The two commands of the README: `make play` and `make test`. Both install what is missing.
FUZZ_SECONDS ?= 300
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
BIN := build/bin

.PHONY: setup build play deb test test-unit test-asan test-tsan test-fuzz fuzz test-e2e web serve bench-web web-test-deps windows package test-windows clean

setup:
	@tools/install-deps.sh

build:
	@tools/install-deps.sh --build
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)

play: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then echo "No display: run this on a desktop (or under xvfb-run)."; exit 1; fi
	$(BIN)/discoflipparex

# The Debian package: build/discoflipparex_<version>_<arch>.deb.
deb: setup build
	cmake --build --preset release --target deb

# The tests may not grow beside the code: at most 0.36 of it (the script's default); a third is the aim.
test: setup build web web-test-deps
	tools/test-ratio.py
	$(MAKE) --no-print-directory test-unit test-asan test-tsan test-fuzz test-e2e test-windows
	@echo "All test suites passed."

test-unit:
	ctest --test-dir build -LE e2e --output-on-failure -j $(JOBS)

test-asan:
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --test-dir build/asan -LE 'e2e|slow' --output-on-failure -j $(JOBS)

test-tsan:
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan -LE 'e2e|slow' --output-on-failure -j $(JOBS)

# A bounded, repeatable fuzzing run in every test; `make fuzz FUZZ_SECONDS=N` explores anew.
test-fuzz:
	tests/fuzz/run.sh 60 1 40000

fuzz: setup
	tests/fuzz/run.sh $(FUZZ_SECONDS)

# Also packs the Debian package and checks it (deb_package_e2e).
test-e2e:
	ctest --test-dir build -L e2e --output-on-failure

# The browser page in build/web (Emscripten); `make serve` shows it on 127.0.0.1.
WEB_PORT ?= 8080
# The page's icons are drawn by the native dfx.
web: setup
	cmake --preset release >/dev/null
	cmake --build --preset release --target dfx -j $(JOBS)
	cmake --preset web >/dev/null
	cmake --build --preset web -j $(JOBS)

serve: web
	@echo "Open http://127.0.0.1:$(WEB_PORT)/ (Ctrl+C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory build/web

# The page's figures: time to the title screen, and the cost of a waiting game.
bench-web: web web-test-deps
	node tools/web/bench.mjs build/web

# The browser test's driver: puppeteer-core as locked, run on Debian's chromium.
web-test-deps: tests/e2e/web/node_modules/.package-lock.json
tests/e2e/web/node_modules/.package-lock.json: tests/e2e/web/package-lock.json
	cd tests/e2e/web && npm ci --no-audit --no-fund

# The native Windows program, cross-built with mingw-w64; its tests run under Wine.
windows: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j $(JOBS)

package: windows
	cmake --build --preset windows --target windows-package

test-windows: build windows
	tests/e2e/with_xvfb.sh ctest --test-dir build/windows --output-on-failure -j $(JOBS)

clean:
	rm -rf build
