# The import and .xlsx tests check their files with independent programs from Debian: python3 with openpyxl
# (python3-openpyxl, installed for Debian's own python3, so /usr/bin comes first), LibreOffice
# (libreoffice-calc-nogui) and Gnumeric's ssconvert. A missing program makes those tests fail, never skip.
find_program(VESTREL_IMPORT_PYTHON3 NAMES python3 HINTS /usr/bin NO_CACHE)
find_program(VESTREL_SOFFICE NAMES soffice libreoffice)
find_program(VESTREL_SSCONVERT NAMES ssconvert)
foreach(var VESTREL_IMPORT_PYTHON3 VESTREL_SOFFICE VESTREL_SSCONVERT)
    if(NOT ${var})
        set(${var} ${var}-not-found)
    endif()
endforeach()
foreach(target import_tst_lotimport import_tst_xlsxexport)
    if(TARGET ${target})
        target_compile_definitions(${target} PRIVATE VESTREL_PYTHON3="${VESTREL_IMPORT_PYTHON3}"
            VESTREL_SOFFICE="${VESTREL_SOFFICE}" VESTREL_SSCONVERT="${VESTREL_SSCONVERT}")
        # LibreOffice starts slowly on a busy machine.
        set_tests_properties(${target} PROPERTIES TIMEOUT 600)
    endif()
endforeach()
