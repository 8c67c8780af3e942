# vestrel-solve on a model file and on a command script; the expected output is the whole of stdout.
if(TARGET vestrel-solve)
    set(solver_model ${CMAKE_CURRENT_LIST_DIR}/fuzz-corpus/worked-example.txt)
    add_test(NAME solver_tool_model COMMAND vestrel-solve ${solver_model})
    set_tests_properties(solver_tool_model PROPERTIES PASS_REGULAR_EXPRESSION "^5\n5\n16500\n$")

    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/solver-script.txt "SET ECHOIN 1\ntake ${solver_model}\nGO\nQUIT\n")
    add_test(NAME solver_tool_script COMMAND vestrel-solve ${CMAKE_CURRENT_BINARY_DIR}/solver-script.txt)
    set_tests_properties(solver_tool_script PROPERTIES PASS_REGULAR_EXPRESSION "^5\n5\n16500\n$")

    add_test(NAME solver_tool_rejected COMMAND vestrel-solve ${CMAKE_CURRENT_LIST_DIR}/tests.cmake)
    set_tests_properties(solver_tool_rejected PROPERTIES WILL_FAIL TRUE)
endif()
