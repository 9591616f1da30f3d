# Ondelar: set-up, build, tests and benchmarks on a Debian machine.
#   make run    installs what is missing, builds and starts the program
#   make test   installs what is missing, builds with sanitizers and runs every test
#   make bench  builds and runs the benchmarks (figures only, no assertions)
#   make estudio CONFIG=estudio.yaml [PERFIL=flujo/slurm]
#               runs a whole study through the workflow in flujo/

PAQUETES := cmake ninja-build g++ make clang libclang-rt-14-dev qtbase5-dev libqt5charts5-dev \
            libarmadillo-dev libopenblas-dev libboost-math-dev googletest libgtest-dev libedf-dev \
            qttranslations5-l10n locales snakemake slurm-wlm munge libfftw3-dev libssl-dev chromium
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: deps build run test test-build fuzz bench clean estudio

deps:
	@# One dpkg-query for all packages: it runs before every study, and one call per package costs a second.
	@instalados=" $$(dpkg-query -W -f='$${Status} $${Package}\n' $(PAQUETES) 2>/dev/null | \
	  sed -n 's/^install ok installed //p' | tr '\n' ' ') "; faltan=""; \
	for p in $(PAQUETES); do case "$$instalados" in *" $$p "*) ;; *) faltan="$$faltan $$p";; esac; done; \
	if [ -n "$$faltan" ]; then \
	  echo "Instalando:$$faltan"; \
	  $(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$faltan; \
	fi
	@# The tests write and read numbers under a Spanish locale, whose decimal comma must not leak into files.
	@locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$$' || $(SUDO) localedef -i es_ES -f UTF-8 es_ES.UTF-8

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDELAR_TESTS=OFF -DONDELAR_BENCH=OFF
	cmake --build build -j $(JOBS)

run: build
	./build/ondelar

test-build: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DONDELAR_SANITIZE=ON -DONDELAR_BENCH=OFF
	cmake --build build-test -j $(JOBS)

test: test-build fuzz
	ctest --test-dir build-test --output-on-failure -j $(JOBS)

# Each fuzz target runs for a bounded time on its seed corpus, with its
# dictionary of header keys and values when it has one.
FUZZ_SEGUNDOS ?= 30
fuzz: deps
	CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDELAR_FUZZ=ON \
	  -DONDELAR_TESTS=OFF -DONDELAR_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_todos
	mkdir -p build-fuzz/diccionarios build-fuzz/semillas
	build-fuzz/fuzz/semillas_pasos fuzz/diccionarios/fuzz_pasos.dict build-fuzz/diccionarios/fuzz_pasos.dict \
	  build-fuzz/semillas/fuzz_pasos
	@for f in build-fuzz/fuzz/fuzz_*; do \
	  [ -x "$$f" ] || continue; n=$$(basename $$f); mkdir -p build-fuzz/corpus/$$n; \
	  echo "== $$n ($(FUZZ_SEGUNDOS) s)"; \
	  dic=""; [ -f fuzz/diccionarios/$$n.dict ] && dic="-dict=fuzz/diccionarios/$$n.dict"; \
	  [ -f build-fuzz/diccionarios/$$n.dict ] && dic="-dict=build-fuzz/diccionarios/$$n.dict"; \
	  sem=""; [ -d build-fuzz/semillas/$$n ] && sem="build-fuzz/semillas/$$n"; \
	  $$f -max_total_time=$(FUZZ_SEGUNDOS) -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 $$dic \
	    build-fuzz/corpus/$$n fuzz/corpus/$$n $$sem > build-fuzz/$$n.log 2>&1; rc=$$?; \
	  tail -n 12 build-fuzz/$$n.log; [ $$rc = 0 ] || { echo "$$n: fallo"; exit 1; }; \
	done

bench: build
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DONDELAR_TESTS=OFF -DONDELAR_BENCH=ON
	cmake --build build -j $(JOBS) --target bench_todos
	@for b in $$(find build/bench -maxdepth 2 -type f -executable -name "bench_*" | sort); do [ -x "$$b" ] && { echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b || exit 1; }; done; true

# A study: Snakemake with this machine's cores, or with PERFIL=flujo/slurm one
# Slurm job per recording. CLI is the runner the jobs use (built first when it
# is the default one).
CLI ?= build/ondelar-cli
estudio: deps $(if $(filter build/ondelar-cli,$(CLI)),build)
	@[ -n "$(CONFIG)" ] || { echo "Uso: make estudio CONFIG=estudio.yaml [PERFIL=flujo/slurm] [CLI=ondelar-cli]"; exit 2; }
	USER=$${USER:-$$(id -un)} snakemake --snakefile flujo/Snakefile --directory $(CURDIR) \
	  --configfile $(CONFIG) --config ondelar_cli=$(if $(findstring /,$(CLI)),$(abspath $(CLI)),$(CLI)) $(if $(PERFIL),,--cores $(JOBS)) \
	  --keep-going --rerun-incomplete --scheduler greedy $(if $(PERFIL),--profile $(PERFIL))

clean:
	rm -rf build build-test build-fuzz
