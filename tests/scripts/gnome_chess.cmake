# GNOME's chess application plays Veltor over xboard under Xvfb, a whole game
# with Veltor as White and one as Black (needs gnome-chess, xvfb, xdotool and
# imagemagick; skipped without them or without python-chess in ../shared).
# The final board of each game is saved as a screenshot in the build tree.
foreach(side white black)
  add_test(NAME gui.gnome_chess_engine_${side}
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/scripts/gnome_chess_game.py $<TARGET_FILE:veltor>
            ${VELTOR_SHARED_DIR}/tools/python-chess ${CMAKE_BINARY_DIR}/gnome-chess-engine-${side}.png
            --engine ${side})
  set_tests_properties(gui.gnome_chess_engine_${side} PROPERTIES LABELS gui TIMEOUT 900
    SKIP_RETURN_CODE 77)
endforeach()
