mlb8_add_test(test_ioconfig SOURCES ioconfig_test.cpp LIBS mlb8_tuning mlb8_sim LABELS threads)
