# Tag-list file loaders and the historical value report.
target_sources(tavlo_testsupport_objects PRIVATE)
