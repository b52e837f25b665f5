# Console input helpers and the interactive tag definitions.
target_sources(tavlo_testsupport_objects PRIVATE)
