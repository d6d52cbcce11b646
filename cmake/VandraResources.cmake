# The resource set: the QML documents and icons listed in qml/qml.qrc, and the
# two translation files that lrelease compiles from translations/*.ts. Both
# land at the root prefix "/". The library registers them itself through
# initVandraResources(), because a static library's resource initialisers are
# otherwise dropped by the linker.

set(VANDRA_TS_FILES
    ${CMAKE_SOURCE_DIR}/translations/0_vandra_EN.ts
    ${CMAKE_SOURCE_DIR}/translations/0_vandra_JP.ts)

function(vandra_add_resources target)
    set(qm_dir ${CMAKE_BINARY_DIR}/translations)
    file(MAKE_DIRECTORY ${qm_dir})
    set(qm_files)
    foreach(ts IN LISTS VANDRA_TS_FILES)
        get_filename_component(base ${ts} NAME_WE)
        set(qm ${qm_dir}/${base}.qm)
        add_custom_command(OUTPUT ${qm}
            COMMAND Qt5::lrelease -silent ${ts} -qm ${qm}
            DEPENDS ${ts}
            COMMENT "Compiling translation ${base}"
            VERBATIM)
        list(APPEND qm_files ${qm})
    endforeach()

    set(tr_qrc ${qm_dir}/translations.qrc)
    file(WRITE ${tr_qrc}.in
        "<RCC>\n  <qresource prefix=\"/\">\n"
        "    <file>0_vandra_EN.qm</file>\n"
        "    <file>0_vandra_JP.qm</file>\n"
        "  </qresource>\n</RCC>\n")
    configure_file(${tr_qrc}.in ${tr_qrc} COPYONLY)
    set(tr_cpp ${qm_dir}/qrc_translations.cpp)
    add_custom_command(OUTPUT ${tr_cpp}
        COMMAND Qt5::rcc -name translations ${tr_qrc} -o ${tr_cpp}
        DEPENDS ${tr_qrc} ${qm_files}
        WORKING_DIRECTORY ${qm_dir}
        VERBATIM)

    qt5_add_resources(qml_cpp ${CMAKE_SOURCE_DIR}/qml/qml.qrc)
    target_sources(${target} PRIVATE ${tr_cpp} ${qml_cpp})
endfunction()
