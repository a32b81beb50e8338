# UCI clients drive the real binary: python-chess's UCI client (plays and
# analyses under every limit, ponders, finishes a game against Stockfish), a
# line-by-line comparison of the UCI output with Stockfish's, and XBoard
# playing Veltor through the polyglot adapter against Fairy-Max.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  set(VELTOR_PYTHON_CHESS ${VELTOR_SHARED_DIR}/tools/python-chess)
  add_test(NAME clients.uci_python_chess
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/uci_clients.py
            $<TARGET_FILE:veltor> /usr/games/stockfish ${VELTOR_PYTHON_CHESS})
  set_tests_properties(clients.uci_python_chess PROPERTIES LABELS clients TIMEOUT 600
    ENVIRONMENT "VELTOR_BOOK_DIR=" SKIP_RETURN_CODE 77)
  add_test(NAME clients.uci_output_matches_stockfish
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/scripts/uci_compare.py
            $<TARGET_FILE:veltor> /usr/games/stockfish)
  # Searched answers are compared: no default book.
  set_tests_properties(clients.uci_output_matches_stockfish PROPERTIES LABELS clients TIMEOUT 300
    ENVIRONMENT "VELTOR_BOOK_DIR=")
endif()
add_test(NAME gui.xboard_polyglot_uci_vs_fairymax
  COMMAND ${CMAKE_COMMAND} -E env VELTOR_PROTOCOL=uci
          ${CMAKE_CURRENT_SOURCE_DIR}/scripts/xboard_match.sh $<TARGET_FILE:veltor> 2 0:20 40)
set_tests_properties(gui.xboard_polyglot_uci_vs_fairymax PROPERTIES LABELS gui TIMEOUT 1000)
