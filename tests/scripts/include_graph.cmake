# The layers of src/ and the absence of include circles, checked on every run.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME layers.include_graph
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-includes.py ${CMAKE_SOURCE_DIR})
  set_tests_properties(layers.include_graph PROPERTIES LABELS layers)
endif()
