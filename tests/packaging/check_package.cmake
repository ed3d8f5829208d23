cmake_minimum_required(VERSION 3.21)
# cpack -G DEB makes quillet_VERSION_ARCH.deb from the build folder's binaries; unpacked, it
# holds exactly the programs and the files a desktop looks for, where it looks, and they
# agree on the application's id and its file types.
# Arguments: CPACK, DPKG_DEB, APPSTREAMCLI (may be empty), BUILD_DIR, WORK, VERSION, APP_ID.

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# Runs a command that must succeed; its standard output lands in out_var.
function(run out_var)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    string(JOIN " " command ${ARGN})
    fail("${command} failed (${result}):\n${out}${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

# The sorted, unique values of the first group of regex in text.
function(matches out_var regex text)
  string(REGEX MATCHALL "${regex}" found "${text}")
  set(values "")
  foreach(item IN LISTS found)
    string(REGEX REPLACE "${regex}" "\\1" value "${item}")
    list(APPEND values "${value}")
  endforeach()
  list(REMOVE_DUPLICATES values)
  list(SORT values)
  set(${out_var} "${values}" PARENT_SCOPE)
endfunction()

# A scratch folder of its own, so that a package left in the build folder, or another test
# running beside this one, neither feeds nor sees it.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Naming a generator without a preinstall step keeps cpack from building the tree first: the
# tests run on a finished build, and a build started here would race the tests beside it.
run(ignored "${CPACK}" -G DEB -B "${WORK}/out" --config "${BUILD_DIR}/CPackConfig.cmake"
    -D CPACK_CMAKE_GENERATOR=Ninja)

file(GLOB debs LIST_DIRECTORIES false RELATIVE "${WORK}/out" "${WORK}/out/*.deb")
list(LENGTH debs count)
if(NOT count EQUAL 1 OR NOT debs MATCHES "^quillet_${VERSION}_[a-z0-9]+\\.deb$")
  fail("cpack should make one quillet_${VERSION}_ARCH.deb, made: ${debs}")
endif()
set(deb "${WORK}/out/${debs}")

run(info "${DPKG_DEB}" -I "${deb}")
foreach(field "Package: quillet" "Version: ${VERSION}" "Section: editors")
  if(NOT info MATCHES "\n ${field}\n")
    fail("${debs} lacks the control field '${field}':\n${info}")
  endif()
endforeach()
# Without it, apt would install an editor that cannot start.
if(NOT info MATCHES "\n Depends: [^\n]*libqt6widgets6")
  fail("${debs} does not depend on Qt Widgets:\n${info}")
endif()

set(root "${WORK}/root")
run(ignored "${DPKG_DEB}" -x "${deb}" "${root}")

# Exactly these: anything more is a build-only program (a test, a benchmark, a fuzzer) or
# a file no install rule was meant to put there.
set(expected
  usr/bin/quillet
  usr/bin/quillet-gxt
  usr/share/applications/quillet.desktop
  usr/share/icons/hicolor/32x32/apps/quillet.png
  usr/share/metainfo/${APP_ID}.metainfo.xml
  usr/share/mime/packages/quillet.xml)
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
list(SORT files)
list(SORT expected)
if(NOT files STREQUAL expected)
  string(REPLACE ";" "\n  " files_text "${files}")
  string(REPLACE ";" "\n  " expected_text "${expected}")
  fail("${debs} holds\n  ${files_text}\ninstead of\n  ${expected_text}")
endif()

# The stripped programs still run, and answer without a display.
foreach(program quillet quillet-gxt)
  run(out "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
      "${root}/usr/bin/${program}" --version)
  if(NOT out MATCHES "^${program} ")
    fail("the packaged ${program} --version printed '${out}'")
  endif()
endforeach()

# A software centre finds the metainfo by its id, the desktop entry through its launchable,
# and offers the editor for the file types the MIME package defines; the desktop entry
# claims the same ones.
file(READ "${root}/usr/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
matches(ids "<id>([^<]+)</id>" "${metainfo}")
if(NOT ids STREQUAL APP_ID)
  fail("${APP_ID}.metainfo.xml names the component '${ids}'")
endif()
matches(launchables "<launchable type=\"desktop-id\">([^<]+)</launchable>" "${metainfo}")
if(NOT launchables STREQUAL "quillet.desktop")
  fail("the metainfo launches '${launchables}', not the packaged quillet.desktop")
endif()
string(REGEX MATCH "<release version=\"([^\"]+)\"" newest "${metainfo}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  fail("the metainfo's newest release is '${CMAKE_MATCH_1}', the package's version ${VERSION}")
endif()

file(READ "${root}/usr/share/mime/packages/quillet.xml" mime)
matches(defined "<mime-type type=\"([^\"]+)\"" "${mime}")
matches(provided "<mediatype>([^<]+)</mediatype>" "${metainfo}")
file(READ "${root}/usr/share/applications/quillet.desktop" desktop)
string(REGEX MATCH "\nMimeType=([^\n]*)" ignored "${desktop}")
set(claimed "${CMAKE_MATCH_1}")
list(REMOVE_ITEM claimed "")
list(SORT claimed)
if(NOT defined OR NOT provided STREQUAL defined OR NOT claimed STREQUAL defined)
  list(JOIN defined ", " defined)
  list(JOIN provided ", " provided)
  list(JOIN claimed ", " claimed)
  fail("the file types disagree: the MIME package defines '${defined}', the metainfo provides "
       "'${provided}', the desktop entry claims '${claimed}'")
endif()

# As a distribution's tools read the unpacked tree: metainfo, desktop entry and icon together.
if(APPSTREAMCLI)
  run(ignored "${APPSTREAMCLI}" validate-tree --no-net "${root}")
endif()
