# Script mode: builds the default book in WORK and copies its four files to OUT,
# with the strong mode's book, masters.bin, exported from the same databases.
# Arguments: ENGINE, ARCHIVE, SCRIPT, WORK, OUT.
# A position enters the book when at least 3 games reached it and at least
# 1% of the games of the position before it went there: what masters play
# often, no one-game curiosities.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(ARCHIVE_EXTRACT INPUT ${ARCHIVE} DESTINATION ${WORK})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env VELTOR=${ENGINE}
          bash ${SCRIPT} --min-games 3 --min-share 1 ${WORK}/default-games.pgn ${WORK}
  OUTPUT_FILE ${WORK}/build-book.out
  ERROR_FILE ${WORK}/build-book.out
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(READ ${WORK}/build-book.out output)
  message(FATAL_ERROR "the default book could not be built:\n${output}")
endif()
# The strong mode's book: a move enters when at least 20 games reached it.
file(WRITE ${WORK}/export.txt "console\nbookexport masters.bin 20\nquit\n")
execute_process(
  COMMAND ${ENGINE}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE ${WORK}/export.txt
  OUTPUT_FILE ${WORK}/export.out
  ERROR_FILE ${WORK}/export.out
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT EXISTS ${WORK}/masters.bin)
  file(READ ${WORK}/export.out output)
  message(FATAL_ERROR "the strong mode's book could not be exported:\n${output}")
endif()
file(MAKE_DIRECTORY ${OUT})
foreach(name bookbtm.mbk bookbtm.mbx bookwtm.mbk bookwtm.mbx masters.bin)
  file(COPY_FILE ${WORK}/${name} ${OUT}/${name})
endforeach()
# Only the book is kept: the position files and databases are large.
file(REMOVE_RECURSE ${WORK})
