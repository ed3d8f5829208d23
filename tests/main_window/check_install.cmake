cmake_minimum_required(VERSION 3.21)
# cmake --install puts the editor, its desktop entry, its icon and the GXT file type where a
# desktop finds them.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file bin/quillet share/applications/quillet.desktop share/icons/hicolor/32x32/apps/quillet.png
             share/mime/packages/quillet.xml)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "cmake --install did not install ${file}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/quillet.desktop" entry)
foreach(line "Exec=quillet %f" "Icon=quillet" "Type=Application" "MimeType=application/x-gxt;application/x-gxt2;")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks '${line}'")
  endif()
endforeach()
