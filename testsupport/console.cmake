# Console input helpers and the interactive tag definitions.
target_sources(tavlo_testsupport_objects PRIVATE
  tag_dialogues.cpp
  time_date_parsers.cpp)
