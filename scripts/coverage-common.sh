# What the coverage scripts share (sourced from the repository root): the
# build with gcov counters and what the figures count. Branches the compiler
# adds for exceptions and unreachable code are not the code's own decisions;
# they are left out of the branch figure. The tools' code counts with the
# engine's and the game's: the tests are their only check as well.
coverage_build() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVORAN_COVERAGE=ON \
    -DHALVORAN_BENCHMARKS=OFF >/dev/null
  cmake --build "$1"
}
COVERAGE_FILTERS=(--filter "$PWD/engine/" --filter "$PWD/game/" --filter "$PWD/tools/"
  --exclude-unreachable-branches --exclude-throw-branches)
