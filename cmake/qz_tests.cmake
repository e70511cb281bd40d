# Test registration: every GoogleTest case becomes a CTest test with a label
# (unit, process, slow) and the environment every test runs under.

# The network module refuses any address outside 127.0.0.0/8 in tests, and
# windows run on the headless host even where the session has a display.
set(QZ_TEST_ENVIRONMENT QZ3317VT_NET=loopback-only QZ3317VT_UI=headless)

# qz_gtest(TARGET LABEL [SLOW pattern...]): registers TARGET's cases under
# LABEL; the cases matching a SLOW pattern (GoogleTest filter syntax) are
# labelled "slow" instead, so the quick loop can leave them out.
function(qz_gtest target label)
  cmake_parse_arguments(ARG "" "" "SLOW" ${ARGN})
  # The discovered cases' properties are one flat list, which cannot hold a
  # list-valued ENVIRONMENT: the cases (and their listing) run under env.
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR /usr/bin/env ${QZ_TEST_ENVIRONMENT})
  set(common DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
  if(ARG_SLOW)
    list(JOIN ARG_SLOW ":" slow)
    gtest_discover_tests(${target} TEST_FILTER "-${slow}" ${common} PROPERTIES LABELS ${label})
    gtest_discover_tests(${target} TEST_FILTER "${slow}" ${common} PROPERTIES LABELS slow)
  else()
    gtest_discover_tests(${target} ${common} PROPERTIES LABELS ${label})
  endif()
endfunction()

# Google Benchmark programs are only built on request.
if(QZ_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()
