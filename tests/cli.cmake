linkpeel_test(test_Progress SOURCES test_Progress.cpp LIBS linkpeel_cli)
