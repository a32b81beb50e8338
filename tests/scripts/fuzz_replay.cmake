# The committed fuzz corpora replayed through the libFuzzer harnesses under
# the sanitizers (builds the harnesses with clang in build-fuzz-replay).
add_test(NAME fuzz.corpus_replay
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/fuzz_replay.sh ${CMAKE_BINARY_DIR}/fuzz-replay)
set_tests_properties(fuzz.corpus_replay PROPERTIES LABELS fuzz TIMEOUT 1800 SKIP_RETURN_CODE 77)
