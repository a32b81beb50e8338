# .bin books in and out and the opening explorer, through the real binary
# (needs polyglot and python3; python-chess comes from the shared tools).
add_test(NAME book.polyglot_in_out_and_explorer
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/scripts/polyglot_books.py
          $<TARGET_FILE:veltor> ${CMAKE_SOURCE_DIR} ${VELTOR_SHARED_DIR})
set_tests_properties(book.polyglot_in_out_and_explorer PROPERTIES LABELS book TIMEOUT 300 SKIP_RETURN_CODE 77)
