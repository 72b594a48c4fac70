trv_benchmark(list_page_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/list_page_bench.cpp
  DEPS runtime_view core_data)
