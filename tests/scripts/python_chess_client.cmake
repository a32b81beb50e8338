# python-chess drives the real binary as an xboard engine (needs python3,
# phalanx; the script installs what is missing).
add_test(NAME clients.python_chess
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/python_chess_client.sh $<TARGET_FILE:veltor> ${VELTOR_SHARED_DIR} check)
# Its checks are about searched moves (time, depth, thinking lines): no default book.
set_tests_properties(clients.python_chess PROPERTIES LABELS clients TIMEOUT 300
  ENVIRONMENT "VELTOR_BOOK_DIR=" SKIP_RETURN_CODE 77)
# Without ../shared (a fresh clone) both python-chess clients skip with one line.
add_test(NAME clients.skip_without_shared
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/clients_skip.sh $<TARGET_FILE:veltor>
          ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(clients.skip_without_shared PROPERTIES LABELS clients)
