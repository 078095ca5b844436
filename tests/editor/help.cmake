mlb8_add_test(test_help SOURCES help_test.cpp LIBS mlb8_tuning LABELS threads)
