find_package(SQLite3 REQUIRED)
trv_benchmark(store_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/store_bench.cpp
  DEPS core_data runtime_store)
target_link_libraries(store_bench PRIVATE SQLite::SQLite3)
