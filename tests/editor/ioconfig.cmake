mlb8_add_test(test_ioconfig SOURCES ioconfig_test.cpp LIBS mlb8_editor mlb8_sim LABELS threads)
