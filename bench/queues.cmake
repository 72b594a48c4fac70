find_package(SQLite3 REQUIRED)
trv_benchmark(queues_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/queues_bench.cpp
  DEPS core_queues core_data runtime_data runtime_ini)
target_link_libraries(queues_bench PRIVATE SQLite::SQLite3)
