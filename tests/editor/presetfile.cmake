# Preset files: the profile layer, the file format, the file commands and mlb8ctl's file commands.
mlb8_add_test(test_presetfile SOURCES presetfile_test.cpp LIBS mlb8_editor mlb8_sim LABELS threads)
add_dependencies(test_presetfile mlb8ctl)
