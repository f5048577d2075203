# The English translation: translations/tavrin_en.ts becomes languages/0904_en-US.qm beside the
# tavrin executable (the folder the program searches at start-up). Included from src/app.
#
#   cmake --build <build> --target tavrin_translations          build the .qm files
#   cmake --build <build> --target tavrin_update_translations   refresh the .ts from src/ (lupdate)

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

# <ts file name> <qm file name>: the .qm carries the identifier-based name of its language.
set(TAVRIN_TRANSLATION_FILES
    tavrin_en.ts 0904_en-US.qm
)

set(tavrin_qm_files)
list(LENGTH TAVRIN_TRANSLATION_FILES tavrin_translation_count)
math(EXPR tavrin_translation_last "${tavrin_translation_count} - 1")
foreach(index RANGE 0 ${tavrin_translation_last} 2)
    math(EXPR qm_index "${index} + 1")
    list(GET TAVRIN_TRANSLATION_FILES ${index} ts_name)
    list(GET TAVRIN_TRANSLATION_FILES ${qm_index} qm_name)
    set(ts_file ${TAVRIN_TRANSLATIONS_DIR}/${ts_name})
    set(qm_file ${TAVRIN_LANGUAGES_DIR}/${qm_name})
    add_custom_command(OUTPUT ${qm_file}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_LANGUAGES_DIR}
        COMMAND ${TAVRIN_LRELEASE} -silent ${ts_file} -qm ${qm_file}
        DEPENDS ${ts_file}
        COMMENT "Building ${qm_name}"
        VERBATIM)
    list(APPEND tavrin_qm_files ${qm_file})
endforeach()

add_custom_target(tavrin_translations ALL DEPENDS ${tavrin_qm_files})
# Tests load the English file from here.
set(TAVRIN_EN_QM ${TAVRIN_LANGUAGES_DIR}/0904_en-US.qm CACHE INTERNAL "")

if(TAVRIN_LUPDATE)
    add_custom_target(tavrin_update_translations
        COMMAND ${TAVRIN_LUPDATE} -locations none -no-obsolete ${PROJECT_SOURCE_DIR}/src
                -ts ${TAVRIN_TRANSLATIONS_DIR}/tavrin_en.ts
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        VERBATIM)
endif()
