trv_benchmark(export_import_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/export_import_bench.cpp
  DEPS bench_support cases_export core_clients core_data core_program runtime_ui runtime_text
  SQLite::SQLite3)
