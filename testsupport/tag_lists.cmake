# Tag-list file loaders and the historical value report.
target_sources(tavlo_testsupport_objects PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/historical_tag_list_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/historical_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/load_errors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/next_token.cpp
  ${CMAKE_CURRENT_LIST_DIR}/packed_values.cpp
  ${CMAKE_CURRENT_LIST_DIR}/setting_keywords.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tag_list_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tag_list_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tag_list_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/type_keywords.cpp)
