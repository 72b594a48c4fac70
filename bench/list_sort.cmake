find_package(SQLite3 REQUIRED)
trv_benchmark(list_sort_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_sort_bench.cpp
  DEPS bench_support runtime_view core_data)
target_link_libraries(list_sort_bench PRIVATE SQLite::SQLite3)
