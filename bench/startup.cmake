trv_benchmark(startup_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/startup_bench.cpp
  DEPS bench_support core_frame core_data runtime_ui)
