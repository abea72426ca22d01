#!/usr/bin/env bash
# Kelvora's two set-up commands:
#   ./build.sh run    installs what is missing, builds in Release and starts Kelvora
#   ./build.sh test   installs what is missing, builds and runs every test
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

./scripts/install-deps.sh

case "${1:-}" in
  run)
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
    cmake --build build/release -j "$jobs" --target kelvora
    exec ./build/release/kelvora
    ;;
  test)
    # Every C++ file as clang-format writes it (.clang-format in the root).
    find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -not -path '*/golden/*' \
      -not -path '*/fixtures/*' -not -path '*/corpus/*' -print0 |
      xargs -0 clang-format --dry-run --Werror
    # The core tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON -DKELVORA_GUI=OFF \
      -DKELVORA_WERROR=ON
    cmake --build build/asan -j "$jobs"
    # clang-tidy over the core sources through that build's compile database (.clang-tidy).
    ./scripts/tidy.sh build/asan
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build/asan -L core --output-on-failure -j "$jobs"
    # Every fuzz target for a short while (clang, the same sanitizers): a reader that crashes,
    # hangs or breaks a property on its seeds or nearby inputs fails the run.
    ./fuzz/run.sh "${KELVORA_FUZZ_SECONDS:-20}"
    # The core tests that start threads under ThreadSanitizer.
    cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORA_TSAN=ON \
      -DKELVORA_GUI=OFF -DKELVORA_WERROR=ON
    cmake --build build/tsan -j "$jobs" --target test_analysis test_data
    TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan -L threads --output-on-failure
    # Every test, core and GUI, on the Release build; ctest's summary is the last line.
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_WERROR=ON
    cmake --build build/release -j "$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir build/release --output-on-failure -j "$jobs"
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
