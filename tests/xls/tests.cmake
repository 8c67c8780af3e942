# The Excel 97 layer tests read the written workbooks back with an independent reader: python3 with xlrd
# (Debian's python3-xlrd, installed for Debian's own python3, so /usr/bin comes before any other python3).
# A missing interpreter or module makes those tests fail, never skip.
find_program(VESTREL_PYTHON3 NAMES python3 HINTS /usr/bin)
if(NOT VESTREL_PYTHON3)
    set(VESTREL_PYTHON3 python3)
endif()
foreach(target xls_tst_workbook xls_tst_compoundfile)
    if(TARGET ${target})
        target_compile_definitions(${target} PRIVATE VESTREL_PYTHON3="${VESTREL_PYTHON3}")
    endif()
endforeach()
