trv_benchmark(store_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/store_bench.cpp
  DEPS bench_support core_data runtime_store SQLite::SQLite3)
