# orvanta_man_page(<target> <page> [COMPONENT <component>])
#
# Writes <page>.1 into the build tree's man/ folder from what the program <target> prints
# for --help and --version, so that the page cannot say other than the program does.
# docs/man/<page>.h2m, when there is one, adds what --help cannot carry (NAME, SEE
# ALSO, FILES, ENVIRONMENT). The page is part of the default build and is installed
# compressed with the program's component into the first section; tests/man checks it for groff
# warnings.

if(ORVANTA_MAN_PAGES)
  find_program(HELP2MAN_PROGRAM help2man)
  if(NOT HELP2MAN_PROGRAM)
    message(FATAL_ERROR "help2man writes the manual pages: run scripts/install-deps, "
                        "or configure with -DORVANTA_MAN_PAGES=OFF")
  endif()
endif()

function(orvanta_man_page target page)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "COMPONENT" "")
  if(NOT ORVANTA_MAN_PAGES)
    return()
  endif()
  set(output ${PROJECT_BINARY_DIR}/man/${page}.1)
  set(include ${PROJECT_SOURCE_DIR}/docs/man/${page}.h2m)
  set(include_option)
  set(depends ${target})
  if(EXISTS ${include})
    set(include_option --include=${include})
    list(APPEND depends ${include})
  endif()
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  add_custom_command(
    OUTPUT ${output}
    # The C locale: help2man's own words stay English whatever the builder speaks, and
    # the page comes out the same on every machine.
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8
            ${HELP2MAN_PROGRAM} --no-info --section=1 ${include_option}
            --output=${output} $<TARGET_FILE:${target}>
    DEPENDS ${depends}
    COMMENT "Writing the manual page ${page}(1)"
    VERBATIM)
  # Installed compressed, as Debian keeps manual pages; -n leaves the build time out.
  set(compressed ${output}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9nc ${output} > ${compressed}
    DEPENDS ${output}
    COMMENT "Compressing the manual page ${page}(1)")
  add_custom_target(man_${page} ALL DEPENDS ${output} ${compressed})
  if(arg_COMPONENT)
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${arg_COMPONENT})
  else()
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
  set_property(GLOBAL APPEND PROPERTY ORVANTA_MAN_PAGE_FILES ${output})
endfunction()
