# Script mode: builds the default book in WORK and copies its four files to OUT.
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
file(MAKE_DIRECTORY ${OUT})
foreach(name bookbtm.mbk bookbtm.mbx bookwtm.mbk bookwtm.mbx)
  file(COPY_FILE ${WORK}/${name} ${OUT}/${name})
endforeach()
# Only the book is kept: the position files and databases are large.
file(REMOVE_RECURSE ${WORK})
