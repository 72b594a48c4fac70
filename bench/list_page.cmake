trv_benchmark(list_page_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_page_bench.cpp
  DEPS bench_support runtime_view core_data)
