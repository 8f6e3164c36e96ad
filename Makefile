# Norvane: the two everyday commands, plus a few conveniences.
#   make run   install what is missing, build a release build and start norvane
#   make demo  the same, against the fake GitHub's demo world with a throw-away profile
#   make test  install what is missing, build a Debug build with ASan + UBSan and run every test
#              (the "desktop" ones inside scripts/desktop-session, the "sni" ones with a StatusNotifierItem tray,
#              the "notray" ones with no tray until they start one, the "gnome" and "plasma" ones each on a
#              headless session of that desktop of their own),
#              and build the fuzz targets and run each over its corpus once
#   make fuzz  fuzz every target for FUZZ_SECONDS seconds (default 60)
#   make coverage  line and branch coverage of src/ by the same tests as make test

JOBS ?= 2
CMAKE ?= cmake
CTEST ?= ctest

.PHONY: all deps run demo build-release test build-test build-fuzz fuzz coverage bench package clean format

all: build-release

deps:
	./scripts/install-deps

build-release: deps
	$(CMAKE) --preset release
	$(CMAKE) --build --preset release -j $(JOBS)

run: build-release
	./build/release/src/app/norvane $(ARGS)

# The app against fakehub's demo world, signed in as its demo user, with a throw-away profile.
demo: build-release
	./scripts/demo $(ARGS)

build-test: deps
	$(CMAKE) --preset asan $(if $(CI),-DNORVANE_WERROR=ON,)
	$(CMAKE) --build --preset asan -j $(JOBS)

# The fuzz targets: clang with libFuzzer, ASan and UBSan, in build/fuzz.
build-fuzz: deps
	$(CMAKE) --preset fuzz $(if $(CI),-DNORVANE_WERROR=ON,)
	$(CMAKE) --build --preset fuzz -j $(JOBS)

# Fails on any crash, leak, time-out or out-of-memory input (kept in build/fuzz/artifacts/).
fuzz: build-fuzz
	FUZZ_SECONDS=$(or $(FUZZ_SECONDS),60) ./scripts/fuzz

# Tests labelled "desktop" need a desktop's services and run inside a private throw-away desktop session.
# Both runs always happen; the target fails if either does.
test: build-test build-fuzz
	@status=0; \
	$(CTEST) --preset fuzz -j $(JOBS) || status=1; \
	$(CTEST) --preset asan -j $(JOBS) -LE 'desktop|gnome|plasma' || status=1; \
	./scripts/desktop-session $(CTEST) --preset asan -j $(JOBS) -L desktop -LE 'sni|notray' || status=1; \
	DESKTOP_SESSION_TRAY=sni ./scripts/desktop-session $(CTEST) --preset asan -L sni || status=1; \
	DESKTOP_SESSION_TRAY=none ./scripts/desktop-session $(CTEST) --preset asan -L notray || status=1; \
	$(CTEST) --preset asan -L 'gnome|plasma' || status=1; \
	exit $$status

# Line and branch coverage of src/ by the tests make test runs (the fuzz corpora aside), in a build with gcc's
# coverage counters (build/coverage); prints the two figures, and the report per file is
# build/coverage/coverage.txt. Fails when a test fails, as make test does.
coverage: deps
	$(CMAKE) --preset coverage $(if $(CI),-DNORVANE_WERROR=ON,)
	$(CMAKE) --build --preset coverage -j $(JOBS)
	find build/coverage -name '*.gcda' -delete
	@status=0; \
	$(CTEST) --preset coverage -j $(JOBS) -LE 'desktop|gnome|plasma' || status=1; \
	./scripts/desktop-session $(CTEST) --preset coverage -j $(JOBS) -L desktop -LE 'sni|notray' || status=1; \
	DESKTOP_SESSION_TRAY=sni ./scripts/desktop-session $(CTEST) --preset coverage -L sni || status=1; \
	DESKTOP_SESSION_TRAY=none ./scripts/desktop-session $(CTEST) --preset coverage -L notray || status=1; \
	$(CTEST) --preset coverage -L 'gnome|plasma' || status=1; \
	gcovr --root . --filter 'src/' --exclude-throw-branches --exclude-unreachable-branches \
	    --print-summary --txt build/coverage/coverage.txt build/coverage || status=1; \
	exit $$status

# Every benchmark against a release build, printed as one table and written into docs/performance.md
# (bench/run_bench.py; about 31 minutes with the default 1,000 polls). POLLS=50 for a quick run.
POLLS ?= 1000
bench: build-release
	./bench/run_bench.py --polls $(POLLS)

# A .deb of the release build (build/release/norvane_<version>_<arch>.deb); install it with apt.
package: build-release
	cd build/release && cpack -G DEB

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
