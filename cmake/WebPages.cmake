# SPDX-License-Identifier: GPL-3.0-or-later
# The map pages and their npm libraries, copied beside the programs into ${CMAKE_BINARY_DIR}/bin.
#
# npm runs only when web/package-lock.json (or package.json) changed, and then only when
# web/node_modules does not already hold exactly the locked versions, so a build works offline
# once node_modules exists and several build folders can share one web/node_modules.

# Script mode: the install step, run by the build as
#   cmake -DTK_WEB_DIR=... -DTK_NPM=... -DTK_STAMP=... -P WebPages.cmake
if(CMAKE_SCRIPT_MODE_FILE)
    file(READ ${TK_WEB_DIR}/package-lock.json lock)
    string(JSON packages GET "${lock}" packages)
    string(JSON count LENGTH "${packages}")
    set(installed TRUE)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        string(JSON path MEMBER "${packages}" ${i})
        if(path STREQUAL "")
            continue()
        endif()
        string(JSON wanted GET "${packages}" "${path}" version)
        set(manifest ${TK_WEB_DIR}/${path}/package.json)
        set(have "")
        if(EXISTS ${manifest})
            file(READ ${manifest} manifest_text)
            string(JSON have ERROR_VARIABLE ignored GET "${manifest_text}" version)
        endif()
        if(NOT have STREQUAL wanted)
            set(installed FALSE)
        endif()
    endforeach()
    if(NOT installed)
        message(STATUS "Installing the map pages' libraries with npm ci")
        execute_process(COMMAND ${TK_NPM} ci --no-audit --no-fund
            WORKING_DIRECTORY ${TK_WEB_DIR} RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "npm ci failed in ${TK_WEB_DIR} (${result})")
        endif()
    endif()
    file(TOUCH ${TK_STAMP})
    return()
endif()

find_program(TK_NPM npm REQUIRED)

set(TK_WEB_DIR ${CMAKE_SOURCE_DIR}/web)
set(TK_WEB_OUT ${CMAKE_BINARY_DIR}/bin)
set(TK_NPM_STAMP ${CMAKE_BINARY_DIR}/web-npm-ci.stamp)

# The library files the pages load, as lib/<name>/<file> under the program's folder.
set(TK_WEB_LIBRARIES
    leaflet/dist/leaflet.js lib/leaflet/leaflet.js
    leaflet/dist/leaflet.css lib/leaflet/leaflet.css
    leaflet/dist/images/layers.png lib/leaflet/images/layers.png
    leaflet/dist/images/layers-2x.png lib/leaflet/images/layers-2x.png
    leaflet/dist/images/marker-icon.png lib/leaflet/images/marker-icon.png
    leaflet/dist/images/marker-icon-2x.png lib/leaflet/images/marker-icon-2x.png
    leaflet/dist/images/marker-shadow.png lib/leaflet/images/marker-shadow.png
    uplot/dist/uPlot.iife.min.js lib/uplot/uPlot.iife.min.js
    uplot/dist/uPlot.min.css lib/uplot/uPlot.min.css)
set(TK_WEB_PAGES Custom.html print.html track-page.js track-page.css map-page.js figure-strip.js
    print-page.js geotag.html geotag-page.js profile-chart.js)

# Each library file is copied from node_modules; TK_WEB_BUNDLED names every bundled npm library
# with the folder it is installed in (leaflet=lib/leaflet), for the package's copyright file.
set(web_outputs "")
set(TK_WEB_BUNDLED "")
list(LENGTH TK_WEB_LIBRARIES n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET TK_WEB_LIBRARIES ${i} from)
    list(GET TK_WEB_LIBRARIES ${j} to)
    add_custom_command(OUTPUT ${TK_WEB_OUT}/${to}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TK_WEB_DIR}/node_modules/${from}
                ${TK_WEB_OUT}/${to}
        DEPENDS ${TK_NPM_STAMP}
        VERBATIM)
    list(APPEND web_outputs ${TK_WEB_OUT}/${to})
    string(REGEX MATCH "^[^/]+" package ${from})
    string(REGEX MATCH "^lib/[^/]+" installed ${to})
    list(APPEND TK_WEB_BUNDLED ${package}=${installed})
endforeach()
list(REMOVE_DUPLICATES TK_WEB_BUNDLED)

add_custom_command(OUTPUT ${TK_NPM_STAMP}
    COMMAND ${CMAKE_COMMAND} -DTK_WEB_DIR=${TK_WEB_DIR} -DTK_NPM=${TK_NPM}
            -DTK_STAMP=${TK_NPM_STAMP} -P ${CMAKE_CURRENT_LIST_FILE}
    DEPENDS ${TK_WEB_DIR}/package-lock.json ${TK_WEB_DIR}/package.json
    COMMENT "Checking the map pages' libraries in web/node_modules"
    VERBATIM)

foreach(file ${TK_WEB_PAGES})
    add_custom_command(OUTPUT ${TK_WEB_OUT}/${file}
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TK_WEB_DIR}/${file} ${TK_WEB_OUT}/${file}
        DEPENDS ${TK_WEB_DIR}/${file}
        VERBATIM)
    list(APPEND web_outputs ${TK_WEB_OUT}/${file})
endforeach()

add_custom_target(trailkeep_web_pages ALL DEPENDS ${web_outputs})
add_dependencies(trailkeep trailkeep_web_pages)
add_dependencies(trailkeep_widget_tests trailkeep_web_pages)

# The pure parts of the shared page script (times, units, tile settings), run by node.
find_program(TK_NODE node)
if(TK_NODE)
    add_test(NAME WebPages.TrackPageScript
        COMMAND ${TK_NODE} --test ${CMAKE_SOURCE_DIR}/tests/map/track-page.test.js)
endif()
