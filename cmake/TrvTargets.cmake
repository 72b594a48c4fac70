# Helpers shared by every folder's CMakeLists.txt.
include(GoogleTest)

# trv_library(NAME SOURCES ... DEPS ...): a static library whose headers are
# included by their path from the repository root ("runtime/text/date_time.h").
function(trv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# trv_test(NAME SOURCES ... DEPS ... [LABELS ...]): a GoogleTest program registered with
# ctest. Label "threads" marks the tests that scripts/test runs again under the thread sanitizer
# (the window model's threads and the desktop); target "tests_threads" builds just those.
function(trv_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  set(environment "QT_QPA_PLATFORM=offscreen;TRV_TEST_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(ARG_LABELS)
    # Labels first: CMake 3.25 flattens the environment's list into the property pairs.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "${environment}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${environment}")
  endif()
  foreach(label ${ARG_LABELS})
    set_property(GLOBAL APPEND PROPERTY TRV_TESTS_LABELLED_${label} ${name})
  endforeach()
endfunction()

# trv_benchmark(NAME SOURCES ... DEPS ...): a Google Benchmark program, plus a
# ctest entry that runs it once on a small data set.
function(trv_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark Threads::Threads)
  add_test(NAME bench.${name} COMMAND ${name} --benchmark_min_time=0
    --benchmark_min_warmup_time=0)
  set_tests_properties(bench.${name} PROPERTIES ENVIRONMENT "TRV_BENCH_SMALL=1" LABELS bench)
endfunction()

# Adds every sub-folder of the calling folder that has a CMakeLists.txt, in name order: each is
# one module of a subsystem.
macro(trv_add_module_dirs)
  file(GLOB _trv_dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _trv_dirs)
  foreach(_trv_dir ${_trv_dirs})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_trv_dir}/CMakeLists.txt)
      add_subdirectory(${_trv_dir})
    endif()
  endforeach()
endmacro()
