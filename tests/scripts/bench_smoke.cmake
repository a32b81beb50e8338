# The benchmarks at a low depth, pinned to their node counts: a change that
# alters the search or the generators changes them (update the numbers then),
# a refactor must not.
add_test(NAME bench.search_smoke COMMAND search_bench 4)
set_tests_properties(bench.search_smoke PROPERTIES LABELS bench TIMEOUT 300
  PASS_REGULAR_EXPRESSION "Nodes searched: 60871")
add_test(NAME bench.perft_smoke COMMAND perft_bench)
set_tests_properties(bench.perft_smoke PROPERTIES LABELS bench TIMEOUT 300
  PASS_REGULAR_EXPRESSION "Total: 41260697 nodes")
# The strong mode's own signature (its search and evaluation change it).
add_test(NAME bench.strong_search_smoke COMMAND search_bench 9 strong)
set_tests_properties(bench.strong_search_smoke PROPERTIES LABELS bench TIMEOUT 300
  PASS_REGULAR_EXPRESSION "Nodes searched: 353283")
