trv_benchmark(queues_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/queues_bench.cpp
  DEPS bench_support core_queues core_data runtime_data runtime_ini SQLite::SQLite3)
