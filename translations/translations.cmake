# The translations: translations/tavrin_en*.ts become languages/0904_en-US.qm (and tavrin_ja.ts
# 1104_ja-JP.qm) beside the tavrin executable (the folder the program searches at start-up). Included from src/app.
#
#   cmake --build <build> --target tavrin_translations          build the .qm files
#   cmake --build <build> --target tavrin_update_translations   refresh tavrin_en.ts from src/ (lupdate)
#
# tavrin_en.ts is kept by lupdate; tavrin_en_menus.ts by hand, for texts that reach
# QCoreApplication::translate through helper functions lupdate cannot follow.

set(TAVRIN_TRANSLATIONS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(TAVRIN_LANGUAGES_DIR ${CMAKE_CURRENT_BINARY_DIR}/languages)

find_package(Qt6 QUIET COMPONENTS LinguistTools)
if(TARGET Qt6::lrelease)
    set(TAVRIN_LRELEASE Qt6::lrelease)
    set(TAVRIN_LUPDATE Qt6::lupdate)
else()
    # Some distributions ship the tools without their CMake package.
    find_program(TAVRIN_LRELEASE NAMES lrelease-qt6 lrelease HINTS /usr/lib/qt6/bin REQUIRED)
    find_program(TAVRIN_LUPDATE NAMES lupdate-qt6 lupdate HINTS /usr/lib/qt6/bin)
endif()

# One .qm from several .ts files; the .qm carries the identifier-based name of its language.
function(tavrin_add_translation qm_name)
    set(ts_files)
    foreach(ts_name IN LISTS ARGN)
        list(APPEND ts_files ${TAVRIN_TRANSLATIONS_DIR}/${ts_name})
    endforeach()
    set(qm_file ${TAVRIN_LANGUAGES_DIR}/${qm_name})
    add_custom_command(OUTPUT ${qm_file}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_LANGUAGES_DIR}
        COMMAND ${TAVRIN_LRELEASE} -silent ${ts_files} -qm ${qm_file}
        DEPENDS ${ts_files}
        COMMENT "Building ${qm_name}"
        VERBATIM)
    set_property(GLOBAL APPEND PROPERTY TAVRIN_QM_FILES ${qm_file})
endfunction()

tavrin_add_translation(0904_en-US.qm tavrin_en.ts tavrin_en_menus.ts)
# Japanese: the built-in texts, listed so that a Japanese keyboard layout chooses them.
tavrin_add_translation(1104_ja-JP.qm tavrin_ja.ts)

get_property(tavrin_qm_files GLOBAL PROPERTY TAVRIN_QM_FILES)
add_custom_target(tavrin_translations ALL DEPENDS ${tavrin_qm_files})
# Tests load the English file from here.
set(TAVRIN_EN_QM ${TAVRIN_LANGUAGES_DIR}/0904_en-US.qm CACHE INTERNAL "")

if(TAVRIN_LUPDATE)
    add_custom_target(tavrin_update_translations
        COMMAND ${TAVRIN_LUPDATE} -silent -locations none -no-obsolete ${PROJECT_SOURCE_DIR}/src
                -ts ${TAVRIN_TRANSLATIONS_DIR}/tavrin_en.ts
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        VERBATIM)
endif()
