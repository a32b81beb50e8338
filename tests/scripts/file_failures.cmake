# Every command that writes a file, through the real binary, against missing,
# unreadable and empty inputs and outputs that cannot or must not be written.
add_test(NAME files.failure_injection
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/scripts/file_failures.py
          $<TARGET_FILE:veltor> ${CMAKE_SOURCE_DIR})
set_tests_properties(files.failure_injection PROPERTIES LABELS files TIMEOUT 900)
