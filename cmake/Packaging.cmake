# What `cmake --install` puts in place and how CPack turns it into the Debian
# package "vandra": both programs, their menu entries, the work files' MIME
# type, the hicolor icons made from app/0_vandra.png, the AppStream metadata,
# a manual page, the README and the copyright notes. scripts/package builds
# the package.
#
# Included from the top-level CMakeLists.txt after the programs and tools/
# are defined: the icons are rendered by vandra_iconrender from tools/.

include(GNUInstallDirs)

set(VANDRA_RELEASE_DATE "2026-12-07" CACHE STRING
    "Release date of this version (YYYY-MM-DD), for the metadata and the changelog")
set(VANDRA_HOMEPAGE "https://vandra.github.io/" CACHE STRING
    "Project home page, ending in /; the metadata's screenshots are under its docs/")
set(VANDRA_PACKAGE_MAINTAINER "Vandra developers <developers@vandra.invalid>" CACHE STRING
    "Maintainer of the Debian package, as \"Name <address>\"")

set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
file(MAKE_DIRECTORY ${packaging_out})

# Directories made while installing get the usual modes whatever the umask of
# whoever builds the package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS 0_vandra 0_vandra_jp RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${packaging_dir}/0_vandra.desktop ${packaging_dir}/0_vandra_jp.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The work files' type, which the menu entries offer to open.
install(FILES ${packaging_dir}/io.github.vandra.Vandra.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)

# The menu icon in every size the hicolor theme looks in, rescaled at build
# time from the one 256 × 256 picture, so that no size is ever stale. The
# renderer runs headless and without leak detection: in a sanitizer build,
# what the toolkit leaves allocated at exit would otherwise fail the build.
set(VANDRA_ICON_SIZES 16 24 32 48 64 128 256)
if(TARGET vandra_iconrender)
    set(icon_root ${CMAKE_BINARY_DIR}/hicolor)
    set(icon_manifest "# Written by cmake/Packaging.cmake: the hicolor sizes of the menu icon.\n")
    set(icon_files)
    foreach(size IN LISTS VANDRA_ICON_SIZES)
        set(icon ${size}x${size}/apps/0_vandra.png)
        string(APPEND icon_manifest "${icon} ${size} 0_vandra.png - -\n")
        list(APPEND icon_files ${icon_root}/${icon})
        install(FILES ${icon_root}/${icon}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    file(CONFIGURE OUTPUT ${packaging_out}/hicolor.txt CONTENT "${icon_manifest}")
    add_custom_command(OUTPUT ${icon_files}
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                $<TARGET_FILE:vandra_iconrender>
                ${packaging_out}/hicolor.txt ${CMAKE_SOURCE_DIR}/app ${icon_root}
        DEPENDS vandra_iconrender ${CMAKE_SOURCE_DIR}/app/0_vandra.png ${packaging_out}/hicolor.txt
        COMMENT "Rendering the menu icon in the hicolor sizes"
        VERBATIM)
    add_custom_target(desktop-icons ALL DEPENDS ${icon_files})
else()
    install(FILES app/0_vandra.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

configure_file(${packaging_dir}/io.github.vandra.Vandra.metainfo.xml.in
    ${packaging_out}/io.github.vandra.Vandra.metainfo.xml @ONLY)
install(FILES ${packaging_out}/io.github.vandra.Vandra.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The changelog's date line wants RFC 2822; the release date is a plain day.
string(REGEX MATCH "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$" date_ok
    "${VANDRA_RELEASE_DATE}")
if(NOT date_ok)
    message(FATAL_ERROR "VANDRA_RELEASE_DATE must be YYYY-MM-DD, not \"${VANDRA_RELEASE_DATE}\"")
endif()
execute_process(COMMAND date -u -R -d "${VANDRA_RELEASE_DATE} 12:00:00"
    OUTPUT_VARIABLE VANDRA_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE date_failed)
if(date_failed)
    message(FATAL_ERROR "cannot turn ${VANDRA_RELEASE_DATE} into a changelog date")
endif()

# Debian wants the changelog and the manual page compressed, without a time
# stamp in the gzip header so that the same sources give the same package.
configure_file(${packaging_dir}/changelog.in ${packaging_out}/changelog @ONLY)
configure_file(${packaging_dir}/0_vandra.1 ${packaging_out}/0_vandra.1 @ONLY)
set(gzipped)
foreach(file IN ITEMS changelog 0_vandra.1)
    add_custom_command(OUTPUT ${packaging_out}/${file}.gz
        COMMAND gzip -9 -n -k -f ${packaging_out}/${file}
        DEPENDS ${packaging_out}/${file}
        VERBATIM)
    list(APPEND gzipped ${packaging_out}/${file}.gz)
endforeach()
add_custom_target(package-docs ALL DEPENDS ${gzipped})
# One page serves both programs.
file(CREATE_LINK 0_vandra.1.gz ${packaging_out}/0_vandra_jp.1.gz SYMBOLIC)
install(FILES ${packaging_out}/0_vandra.1.gz ${packaging_out}/0_vandra_jp.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md docs/work-files.md ${packaging_dir}/copyright DESTINATION ${doc_dir})
# A package whose version has no Debian revision keeps its changelog as
# changelog.gz.
install(FILES ${packaging_out}/changelog.gz DESTINATION ${doc_dir})

# Lists the picture types Qt reads and the plugin behind each, for
# tests/package/check to hold the menu entries' MimeType lists against.
add_executable(vandra_imagetypes EXCLUDE_FROM_ALL tests/package/imagetypes.cpp)
target_link_libraries(vandra_imagetypes PRIVATE Qt5::Gui)

# --- The Debian package ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vandra developers")
set(CPACK_PACKAGE_CONTACT "${VANDRA_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare pictures and engrave them with a USB laser engraver")
# CPack puts the summary on the Description line itself; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kalvor drives a small USB laser engraver with an 80 x 80 mm work area.
Open a picture, crop it, size it in millimetres, rotate, mirror or
invert it, draw on it, place text, and make it grey, black and white or
dithered; then connect to the engraver over its serial link, frame the
picture and engrave it, with progress and elapsed time.
.
Two programs: 0_vandra, in Simplified Chinese, English or Japanese, and
0_vandra_jp, the Japanese edition.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANDRA_HOMEPAGE}")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The libraries the programs link are found by dpkg-shlibdeps. What they
# load at run time no library scan sees: the QML modules the documents
# import (with QtQuick.Templates 2, which the Material style is built on),
# the SVG image plugin, and the fonts of the Chinese and Japanese texts.
set(VANDRA_RUNTIME_DEPENDS
    qml-module-qtquick2
    qml-module-qtquick-window2
    qml-module-qtquick-layouts
    qml-module-qtquick-controls
    qml-module-qtquick-controls2
    qml-module-qtquick-templates2
    qml-module-qtquick-extras
    qml-module-qt-labs-settings
    qml-module-qtquick-dialogs
    libqt5svg5
    fonts-noto-cjk)
list(JOIN VANDRA_RUNTIME_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
