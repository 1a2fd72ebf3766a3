# SPDX-License-Identifier: GPL-3.0-or-later
# lmx_add_icons(<library> <name>...): embeds the pictures
# resources/icons/<name>.svg into <library> under :/icons/, where NamedIcon
# (windows/NamedIcon.h) finds them, so that every library carries the icons
# its own windows show. Qt links a static library's resources into each
# program that uses the library.
#
# Without Qt SVG (Windows) they go in as PNG, rendered on the build machine by
# lmx-icon-png at the size the program shows them (16 px in the tool bar, the
# menus and on buttons, 41 px for the program icon in the About box) and at
# twice that.
function(lmx_add_icons library)
  if(WIN32)
    set(rendered ${CMAKE_CURRENT_BINARY_DIR}/rendered)
    set(files)
    foreach(icon ${ARGN})
      set(size 16)
      if(icon STREQUAL lmx)
        set(size 41)
      endif()
      math(EXPR size2x "${size} * 2")
      set(svg ${PROJECT_SOURCE_DIR}/resources/icons/${icon}.svg)
      add_custom_command(OUTPUT ${rendered}/icons/${icon}.png ${rendered}/icons/${icon}@2x.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${rendered}/icons
        COMMAND ${LMX_ICON_TOOL} ${svg} ${size} ${rendered}/icons/${icon}.png
        COMMAND ${LMX_ICON_TOOL} ${svg} ${size2x} ${rendered}/icons/${icon}@2x.png
        DEPENDS ${svg} ${LMX_ICON_TOOL}
        COMMENT "Rendering the icon ${icon} at ${size} and ${size2x} px")
      list(APPEND files ${rendered}/icons/${icon}.png ${rendered}/icons/${icon}@2x.png)
    endforeach()
    qt_add_resources(${library} ${library}_icons PREFIX / BASE ${rendered} FILES ${files})
  else()
    set(files ${ARGN})
    list(TRANSFORM files PREPEND ${PROJECT_SOURCE_DIR}/resources/icons/)
    list(TRANSFORM files APPEND .svg)
    qt_add_resources(${library} ${library}_icons PREFIX / BASE ${PROJECT_SOURCE_DIR}/resources FILES ${files})
    target_link_libraries(${library} PUBLIC Qt6::Svg)
  endif()
endfunction()
