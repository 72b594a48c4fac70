trv_benchmark(backup_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/backup_bench.cpp
  DEPS bench_support core_data core_jobs runtime_store runtime_ui runtime_text)
