# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the package's copyright file (Debian's machine-readable format): the template's stanza
# for our own code, then one stanza per npm library the pages bundle, made from that library's
# own package.json and licence file, so the notices always match what is shipped.
#
#   cmake -DTK_TEMPLATE=copyright.in -DTK_NODE_MODULES=web/node_modules
#         -DTK_BUNDLED=leaflet=lib/leaflet,uplot=lib/uplot -DTK_OUT=copyright -P Copyright.cmake
#
# A library without a licence file or without a copyright line in it stops the build.

function(tk_licence_file dir out)
    foreach(name LICENSE LICENSE.md LICENSE.txt LICENCE license)
        if(EXISTS ${dir}/${name})
            set(${out} ${dir}/${name} PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "no licence file in ${dir}")
endfunction()

# "Copyright (c) 2010-2023, Someone" -> "2010-2023, Someone", one holder a line. The text is read
# whole (file(STRINGS) would drop lines with non-ASCII letters such as ©), and the characters that
# mean something in a CMake list (; [ ]) are replaced by place-holders until the holders are joined.
function(tk_copyright_holders licence_file out)
    file(READ ${licence_file} text)
    string(REPLACE "\r" "" text "${text}")
    string(REPLACE ";" "<tk:semicolon>" text "${text}")
    string(REPLACE "[" "<tk:open>" text "${text}")
    string(REPLACE "]" "<tk:close>" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(holders "")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "^[ \t]*Copyright")
            continue()
        endif()
        string(REGEX REPLACE "^[ \t]*Copyright[ \t]*(\\([cC]\\)|©)?[ \t]*" "" holder "${line}")
        string(STRIP "${holder}" holder)
        if(NOT holder STREQUAL "")
            list(APPEND holders "${holder}")
        endif()
    endforeach()
    if(NOT holders)
        message(FATAL_ERROR "no copyright line in ${licence_file}")
    endif()
    list(JOIN holders "\n           " joined)
    string(REPLACE "<tk:semicolon>" ";" joined "${joined}")
    string(REPLACE "<tk:open>" "[" joined "${joined}")
    string(REPLACE "<tk:close>" "]" joined "${joined}")
    set(${out} "${joined}" PARENT_SCOPE)
endfunction()

# The licence text as a field's continuation lines: each line indented by one space, an empty
# line as " .".
function(tk_field_text text_file out)
    file(READ ${text_file} text)
    string(REPLACE "\r" "" text "${text}")
    string(REGEX REPLACE "[ \t]+\n" "\n" text "${text}")
    string(STRIP "${text}" text)
    while(text MATCHES "\n\n")
        string(REPLACE "\n\n" "\n.\n" text "${text}")
    endwhile()
    string(REPLACE "\n" "\n " text "${text}")
    set(${out} "\n ${text}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" bundled "${TK_BUNDLED}")
set(TK_BUNDLED_STANZAS "")
foreach(entry ${bundled})
    string(REGEX MATCH "^([^=]+)=(.+)$" ignored "${entry}")
    set(package ${CMAKE_MATCH_1})
    set(installed ${CMAKE_MATCH_2})
    set(dir ${TK_NODE_MODULES}/${package})
    file(READ ${dir}/package.json manifest)
    string(JSON version GET "${manifest}" version)
    string(JSON licence GET "${manifest}" license)
    string(JSON homepage ERROR_VARIABLE no_homepage GET "${manifest}" homepage)
    tk_licence_file(${dir} licence_file)
    tk_copyright_holders(${licence_file} holders)
    tk_field_text(${licence_file} licence_text)
    set(origin "the npm package ${package} ${version}")
    if(NOT no_homepage AND NOT homepage STREQUAL "")
        string(APPEND origin " (${homepage})")
    endif()
    string(APPEND TK_BUNDLED_STANZAS "
Files: web/node_modules/${package}/*
Copyright: ${holders}
Comment: ${origin}, installed in /usr/share/trailkeep/${installed}
License: ${licence}${licence_text}
")
endforeach()
configure_file(${TK_TEMPLATE} ${TK_OUT} @ONLY)
