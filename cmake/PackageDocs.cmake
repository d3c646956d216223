# SPDX-License-Identifier: GPL-3.0-or-later
# The package's documents, made at build time so they cannot go stale: the copyright file from
# the bundled libraries' own licence files, the changelog, the manual pages from the programs'
# --help, and the bash completion of trailkeep-cli.

set(TK_DOC_OUT ${CMAKE_BINARY_DIR}/doc)
set(TK_MAN_PROGRAMS trailkeep trailkeep-cli trailkeep-cli-device trailkeep-cli-photos trailkeep-sim)

# The bundled npm libraries and the folders they are installed in (WebPages.cmake).
list(JOIN TK_WEB_BUNDLED "," bundled)

add_custom_command(OUTPUT ${TK_DOC_OUT}/copyright
    COMMAND ${CMAKE_COMMAND} -DTK_TEMPLATE=${CMAKE_SOURCE_DIR}/res/package/copyright.in
            -DTK_NODE_MODULES=${TK_WEB_DIR}/node_modules -DTK_BUNDLED=${bundled}
            -DTK_OUT=${TK_DOC_OUT}/copyright -P ${CMAKE_SOURCE_DIR}/cmake/Copyright.cmake
    DEPENDS ${TK_NPM_STAMP} ${CMAKE_SOURCE_DIR}/res/package/copyright.in
            ${CMAKE_SOURCE_DIR}/cmake/Copyright.cmake
    COMMENT "Writing the package's copyright file from the bundled libraries' licences"
    VERBATIM)

# gzip -n leaves out the name and time, so the same text gives the same bytes.
find_program(TK_GZIP gzip REQUIRED)
function(tk_gzip in out)
    get_filename_component(dir ${out} DIRECTORY)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND sh -c "\"$1\" -9nc \"$2\" > \"$3\"" gzip ${TK_GZIP} ${in} ${out}
        DEPENDS ${in}
        VERBATIM)
endfunction()

tk_gzip(${CMAKE_SOURCE_DIR}/res/package/changelog ${TK_DOC_OUT}/changelog.gz)

# Manual pages: help2man runs each built program with --help and --version; res/man/PROGRAM.h2m
# adds the name line and what --help does not say (files, environment, examples).
find_program(TK_HELP2MAN help2man REQUIRED)
set(man_outputs "")
foreach(program ${TK_MAN_PROGRAMS})
    set(page ${TK_DOC_OUT}/man/${program}.1)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${TK_DOC_OUT}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${TK_HELP2MAN} --no-info --section=1 --include=${CMAKE_SOURCE_DIR}/res/man/${program}.h2m
                --output=${page} $<TARGET_FILE:${program}>
        DEPENDS ${program} ${CMAKE_SOURCE_DIR}/res/man/${program}.h2m
        COMMENT "Writing the manual page of ${program}"
        VERBATIM)
    tk_gzip(${page} ${page}.gz)
    list(APPEND man_outputs ${page}.gz)
    install(FILES ${page}.gz DESTINATION share/man/man1)
endforeach()

add_custom_target(trailkeep_package_docs ALL
    DEPENDS ${TK_DOC_OUT}/copyright ${TK_DOC_OUT}/changelog.gz ${man_outputs})

install(FILES ${TK_DOC_OUT}/copyright ${TK_DOC_OUT}/changelog.gz DESTINATION share/doc/trailkeep)
install(FILES ${CMAKE_SOURCE_DIR}/res/completion/trailkeep-cli.bash
    DESTINATION share/bash-completion/completions RENAME trailkeep-cli)
