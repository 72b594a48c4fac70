find_package(SQLite3 REQUIRED)
trv_benchmark(search_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/search_bench.cpp
  DEPS bench_support cases_search core_data runtime_data)
target_link_libraries(search_bench PRIVATE SQLite::SQLite3)
