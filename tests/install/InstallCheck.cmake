# cmake -DBUILD_DIR=... -DCOMPONENT=... -DDESTDIR=... -DEXPECTED=a|b|... -DVERSION=...
#       -P InstallCheck.cmake
#
# Installs COMPONENT ("all": everything) of the build in BUILD_DIR under DESTDIR, as a packager does, and
# fails unless exactly the EXPECTED files (absolute install paths) arrive, every
# program among them carries no run path into the build tree, and answers --version
# and --help with status 0 and nothing on standard error.

foreach(variable BUILD_DIR COMPONENT DESTDIR EXPECTED VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "InstallCheck: ${variable} is not set")
  endif()
endforeach()
string(REPLACE "|" ";" expected "${EXPECTED}")

set(component_option --component ${COMPONENT})
if(COMPONENT STREQUAL "all")
  set(component_option)
endif()
file(REMOVE_RECURSE ${DESTDIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${DESTDIR}
          ${CMAKE_COMMAND} --install ${BUILD_DIR} ${component_option}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "installing ${COMPONENT} failed (${status}):\n${output}")
endif()

file(GLOB_RECURSE installed LIST_DIRECTORIES false ${DESTDIR}/*)
set(found)
foreach(path IN LISTS installed)
  string(REPLACE "${DESTDIR}" "" path "${path}")
  list(APPEND found ${path})
endforeach()
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
  string(REPLACE ";" "\n  " found_text "${found}")
  string(REPLACE ";" "\n  " expected_text "${expected}")
  message(FATAL_ERROR "component ${COMPONENT} installed\n  ${found_text}\nbut should install\n  ${expected_text}")
endif()

# The programs: everything else installed is data.
foreach(path IN LISTS expected)
  if(NOT path MATCHES "/bin/[^/]+$")
    continue()
  endif()
  set(program ${DESTDIR}${path})
  get_filename_component(name ${path} NAME)
  file(READ_ELF ${program} RPATH rpath RUNPATH runpath CAPTURE_ERROR elf_error)
  if(elf_error)
    message(FATAL_ERROR "${path}: ${elf_error}")
  endif()
  if("${rpath}${runpath}" MATCHES "${BUILD_DIR}")
    message(FATAL_ERROR "${path} still looks for libraries in the build tree: ${rpath}${runpath}")
  endif()
  # Started from elsewhere, with no display: what a user's terminal or a packager's
  # build gives it.
  foreach(option --version --help)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
              ${program} ${option}
      WORKING_DIRECTORY ${DESTDIR}
      RESULT_VARIABLE status OUTPUT_VARIABLE answer ERROR_VARIABLE complaint TIMEOUT 20)
    if(NOT status EQUAL 0 OR NOT complaint STREQUAL "")
      message(FATAL_ERROR "${path} ${option} ended with ${status}:\n${complaint}")
    endif()
    if(option STREQUAL "--version" AND NOT answer STREQUAL "${name} ${VERSION}\n")
      message(FATAL_ERROR "${path} --version printed \"${answer}\", not \"${name} ${VERSION}\"")
    endif()
    if(option STREQUAL "--help" AND NOT answer MATCHES "^Usage: ${name}")
      message(FATAL_ERROR "${path} --help printed no usage:\n${answer}")
    endif()
  endforeach()
endforeach()
message(STATUS "${COMPONENT}: ${found}")
