# Console input helpers and the interactive tag definitions.
target_sources(tavlo_testsupport_objects PRIVATE
  clear_screen.cpp
  console_numbers.cpp
  define_historical_tags.cpp
  define_tags.cpp
  request_settings_menus.cpp
  tag_dialogue.cpp
  tag_name_entry.cpp
  tag_type_menus.cpp
  tag_value_entry.cpp
  time_date_parsers.cpp
  wait_for_return.cpp
  yes_no.cpp)
# The command interpreter's command that clears the screen.
if(WIN32)
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/clear_screen.cpp APPEND PROPERTY
               COMPILE_DEFINITIONS TAVLO_CLEAR_COMMAND="cls")
else()
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/clear_screen.cpp APPEND PROPERTY
               COMPILE_DEFINITIONS TAVLO_CLEAR_COMMAND="clear")
endif()
