trv_benchmark(report_list_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_list_bench.cpp
  DEPS bench_support cases_reports core_data gui_pdf runtime_report runtime_ui runtime_text
  Qt6::Gui SQLite::SQLite3)
