# Console input helpers and the interactive tag definitions.
target_sources(tavlo_testsupport_objects PRIVATE
  define_historical_tags.cpp
  define_tags.cpp
  request_settings_menus.cpp
  tag_dialogue.cpp
  tag_name_entry.cpp
  tag_type_menus.cpp
  tag_value_entry.cpp
  time_date_parsers.cpp)
