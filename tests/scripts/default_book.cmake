# The default book: the committed bytes come out of the build on any machine,
# and the engine finds it beside its executable, in the build tree and once
# installed, while a book in the directory it runs in still wins.
add_test(NAME book.default_reproducible
  COMMAND sha256sum --check --strict ${CMAKE_SOURCE_DIR}/data/default-book.sha256
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/share/veltor)
set_tests_properties(book.default_reproducible PROPERTIES LABELS book)
add_test(NAME book.default_found_from_anywhere
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/default_book.sh
          $<TARGET_FILE:veltor> ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(book.default_found_from_anywhere PROPERTIES LABELS book TIMEOUT 300)
# The thresholds of "bookcreate GAMES PERCENT" through build-book.sh.
add_test(NAME book.thresholds
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/book_thresholds.sh $<TARGET_FILE:veltor> ${CMAKE_SOURCE_DIR})
set_tests_properties(book.thresholds PROPERTIES LABELS book TIMEOUT 120)
