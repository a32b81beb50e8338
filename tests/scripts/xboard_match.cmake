# A real XBoard plays Veltor against Fairy-Max (needs xboard, xvfb and fairymax).
add_test(NAME gui.xboard_match_vs_fairymax
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/xboard_match.sh $<TARGET_FILE:veltor> 2 0:20 40)
set_tests_properties(gui.xboard_match_vs_fairymax PROPERTIES LABELS gui TIMEOUT 1000)
# A real XBoard steps Veltor's analysis mode through a short game.
add_test(NAME gui.xboard_analysis
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/xboard_analysis.sh $<TARGET_FILE:veltor>)
set_tests_properties(gui.xboard_analysis PROPERTIES LABELS gui TIMEOUT 120)
# The same with three lines per depth and the odds, set through XBoard.
add_test(NAME gui.xboard_multipv
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/xboard_multipv.sh $<TARGET_FILE:veltor>)
set_tests_properties(gui.xboard_multipv PROPERTIES LABELS gui TIMEOUT 120)
