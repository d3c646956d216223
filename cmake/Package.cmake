# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (`make package`): the programs in /usr/bin, the pages, their libraries and the
# language file in /usr/share/trailkeep (the programs look in ../share/trailkeep first), and the
# desktop's files under the program's one ID: desktop entry, icon, metainfo and project file type.

include(${CMAKE_CURRENT_LIST_DIR}/PackageDocs.cmake)

set(TK_DESKTOP_ID org.trailkeep.Trailkeep)
set(TK_DESKTOP_SRC ${CMAKE_SOURCE_DIR}/res/desktop)
set(TK_DESKTOP_OUT ${CMAKE_BINARY_DIR}/desktop)
set(TK_ICON_SIZES 16 24 32 48 64 128 256)

configure_file(${TK_DESKTOP_SRC}/${TK_DESKTOP_ID}.desktop
               ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.desktop COPYONLY)
configure_file(${TK_DESKTOP_SRC}/${TK_DESKTOP_ID}.metainfo.xml.in
               ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.metainfo.xml @ONLY)
configure_file(${TK_DESKTOP_SRC}/${TK_DESKTOP_ID}.xml ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.xml COPYONLY)

# The icon's PNG sizes, drawn from the one SVG at build time.
find_program(TK_RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_outputs "")
foreach(size ${TK_ICON_SIZES})
    set(png ${TK_DESKTOP_OUT}/icons/${size}x${size}/${TK_DESKTOP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TK_DESKTOP_OUT}/icons/${size}x${size}
        COMMAND ${TK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${CMAKE_SOURCE_DIR}/res/trailkeep.svg
        DEPENDS ${CMAKE_SOURCE_DIR}/res/trailkeep.svg
        VERBATIM)
    list(APPEND icon_outputs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(trailkeep_icons ALL DEPENDS ${icon_outputs})

install(TARGETS trailkeep trailkeep-cli trailkeep-cli-device trailkeep-cli-photos trailkeep-sim
    RUNTIME DESTINATION bin)
install(FILES ${RES_FILES} DESTINATION share/trailkeep)
foreach(page ${TK_WEB_PAGES})
    install(FILES ${TK_WEB_OUT}/${page} DESTINATION share/trailkeep)
endforeach()
install(DIRECTORY ${TK_WEB_OUT}/lib DESTINATION share/trailkeep)
install(FILES ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.desktop DESTINATION share/applications)
install(FILES ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.xml DESTINATION share/mime/packages)
install(FILES ${CMAKE_SOURCE_DIR}/res/trailkeep.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME ${TK_DESKTOP_ID}.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trailkeep)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_CONTACT "Trailkeep maintainers <maintainers@trailkeep.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion of a serial GPS track logger")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trailkeep downloads the memory of a small serial GPS track logger, turns it
into tracks with their figures and shows each on a map with its altitude and
speed profile, online or from an offline MBTiles map. It exports tracks as KML
and GPX, keeps downloads as project files (.gpl), geotags photos from the
tracks and sets the logger's logging step, speed unit and time zone.
.
Also in the package: the command-line tool trailkeep-cli and the logger
simulator trailkeep-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://trailkeep.org/)
# The libraries the programs link come from dpkg-shlibdeps; these are the parts Qt loads at run
# time that no program links: the platform plugins and the SVG icon plugin.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# What the programs use at run time without linking it: Chinese glyphs for the Chinese interface (a
# minimal system has no such font), GPSBabel, which reads the track formats other devices write,
# and xdg-open, which opens the map's links in the desktop's browser.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, gpsbabel, xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)

# The desktop's files are checked by the desktop's own validators.
find_program(TK_DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
find_program(TK_APPSTREAMCLI appstreamcli REQUIRED)
add_test(NAME Package.DesktopEntryIsValid
    COMMAND ${TK_DESKTOP_FILE_VALIDATE} ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.desktop)
add_test(NAME Package.MetainfoIsValid
    COMMAND ${TK_APPSTREAMCLI} validate --no-net ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.metainfo.xml)
add_test(NAME Package.ProjectFilesAreTheirOwnType
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/mime-type.sh ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.xml
            ${TK_DESKTOP_OUT}/${TK_DESKTOP_ID}.desktop)

# The package itself, built by CPack into its own folder for the tests that need it.
add_executable(tk_make_mbtiles ${TK_MBTILES_MAKER_SOURCES})
target_include_directories(tk_make_mbtiles PRIVATE tests)
target_link_libraries(tk_make_mbtiles PRIVATE SQLite::SQLite3)
set(TK_TEST_DEB_DIR ${CMAKE_BINARY_DIR}/package-test)
add_test(NAME Package.Build
    COMMAND ${CMAKE_COMMAND} -E env --unset=DESTDIR
            ${CMAKE_CPACK_COMMAND} -G DEB -B ${TK_TEST_DEB_DIR} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
set_tests_properties(Package.Build PROPERTIES FIXTURES_SETUP TkDeb TIMEOUT 600)
add_test(NAME Package.FieldsAndFiles
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/check-deb.sh ${TK_TEST_DEB_DIR} ${TK_DESKTOP_ID})
add_test(NAME Package.UnpackedCopyRuns
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/run-unpacked.sh ${TK_TEST_DEB_DIR}
            $<TARGET_FILE:tk_make_mbtiles>)
set_tests_properties(Package.FieldsAndFiles Package.UnpackedCopyRuns PROPERTIES
    FIXTURES_REQUIRED TkDeb TIMEOUT 300)

# lintian, Debian's package checker, finds no error and no warning in the package.
find_program(TK_LINTIAN lintian REQUIRED)
add_test(NAME Package.LintianIsClean
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/lintian.sh ${TK_LINTIAN} ${TK_TEST_DEB_DIR})
set_tests_properties(Package.LintianIsClean PROPERTIES FIXTURES_REQUIRED TkDeb TIMEOUT 300)

# The copyright file's generator takes each library's notices and licence text as they are.
add_test(NAME Package.CopyrightFileFromTheLibrariesNotices
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/copyright-file.sh ${CMAKE_SOURCE_DIR})

# The command line's help names every option, and the completion offers what the help names.
add_test(NAME Package.HelpNamesEveryOption
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/help-names-every-option.sh ${CMAKE_SOURCE_DIR}
            ${CMAKE_BINARY_DIR}/bin)
add_test(NAME Package.CompletionOffersWhatHelpNames
    COMMAND ${CMAKE_SOURCE_DIR}/tests/package/completion.sh $<TARGET_FILE:trailkeep-cli>
            ${CMAKE_SOURCE_DIR}/res/completion/trailkeep-cli.bash)
