# cmake -DCHECK=<desktop-entry|installed-tree|scalable-icon> ... -P CheckDesktopFiles.cmake

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# desktop-file-validate exits 0 on warnings; a warning is a fault here all the same.
# Hints (advice on optional keys) are shown but pass.
if(CHECK STREQUAL "desktop-entry")
  execute_process(COMMAND ${VALIDATOR} ${FILE} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT rc EQUAL 0 OR out MATCHES "(error|warning):")
    fail("${FILE} does not validate")
  endif()

# What a package would ship: installs the component into an empty prefix and checks the
# tree there, which also catches a metainfo file not named after its id, a launchable
# desktop file that is not installed, and icons in the wrong folder or of the wrong size.
elseif(CHECK STREQUAL "installed-tree")
  file(REMOVE_RECURSE ${STAGE})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component orvanta --prefix ${STAGE}/usr
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    fail("installing the component orvanta failed")
  endif()
  set(share ${STAGE}/usr/share)
  foreach(file applications/orvanta.desktop metainfo/com.tarnwell.orvanta.metainfo.xml
               icons/hicolor/scalable/apps/orvanta.svg)
    if(NOT EXISTS ${share}/${file})
      fail("not installed: share/${file}")
    endif()
  endforeach()
  foreach(size IN LISTS SIZES)
    set(icon ${share}/icons/hicolor/${size}x${size}/apps/orvanta.png)
    if(NOT EXISTS ${icon})
      fail("not installed: ${icon}")
    endif()
    execute_process(COMMAND ${IDENTIFY} -format "%m %wx%h" ${icon} OUTPUT_VARIABLE found RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT found STREQUAL "PNG ${size}x${size}")
      fail("${icon}: \"${found}\" where a ${size}x${size} PNG belongs")
    endif()
  endforeach()
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net --pedantic ${STAGE}/usr
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT rc EQUAL 0)
    fail("the installed tree does not validate")
  endif()

# The scalable icon is drawn by hand after the painter; drawn at each size it must look
# like what the painter made (small differences of anti-aliasing pass, a moved or
# recoloured shape does not).
elseif(CHECK STREQUAL "scalable-icon")
  foreach(size IN LISTS SIZES)
    set(drawn ${WORK}/scalable-${size}.png)
    execute_process(COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${drawn} ${SVG} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      fail("rsvg-convert cannot draw ${SVG}")
    endif()
    set(painted ${PAINTED_THEME}/${size}x${size}/apps/orvanta.png)
    # compare prints "<absolute> (<normalised>)" and exits 1 when the images differ at all.
    execute_process(COMMAND ${COMPARE} -metric RMSE ${drawn} ${painted} null:
                    RESULT_VARIABLE rc ERROR_VARIABLE distance)
    if(rc GREATER 1 OR NOT distance MATCHES "\\(([0-9.e+-]+)\\)")
      fail("cannot compare ${drawn} with ${painted}: ${distance}")
    endif()
    set(rmse ${CMAKE_MATCH_1})
    message("${size}x${size}: root mean square difference ${rmse}")
    # math() has integers only: compare in ten-thousandths.
    if(rmse MATCHES "e-")
      set(rmse 0) # far below anything visible
    endif()
    string(REGEX REPLACE "^0\\.([0-9][0-9][0-9][0-9]).*" "\\1" tenthousandths "${rmse}")
    if(NOT tenthousandths MATCHES "^[0-9]+$")
      fail("${size}x${size}: the scalable icon differs from the painted one by ${rmse}")
    endif()
    math(EXPR tenthousandths "${tenthousandths}")
    if(tenthousandths GREATER 350)
      fail("${size}x${size}: the scalable icon differs from the painted one by ${rmse}")
    endif()
  endforeach()

else()
  fail("unknown check \"${CHECK}\"")
endif()
