# Installs the build BUILD into PREFIX (stripped) and checks the tree. LIBDIR, MANDIR, DATADIR:
# the GNUInstallDirs folders; CHECK: trv-install-check.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} --strip
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${error}")
endif()

set(expected
  bin/trvnel01 bin/dorvaxel bin/trvnel-starter
  ${LIBDIR}/libpelmoxi.so ${LIBDIR}/libpelmoxi.so.1 ${LIBDIR}/libpelmoxi.so.1.2
  ${LIBDIR}/pkgconfig/pelmoxi.pc include/pelmoxi.h
  ${DATADIR}/applications/trvnel01.desktop
  ${DATADIR}/icons/hicolor/64x64/apps/trvnel01.png
  ${MANDIR}/man1/trvnel01.1 ${MANDIR}/man1/dorvaxel.1
  ${DATADIR}/trvnel01/logo.jpg ${DATADIR}/trvnel01/logo2.jpg
  ${DATADIR}/trvnel01/vkt2a/contents.html ${DATADIR}/trvnel01/vkt2a/browse-cases.html)
foreach(f ${expected})
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "missing from the installed tree: ${f}")
  endif()
endforeach()

# The library's soname carries its interface version.
execute_process(COMMAND readelf -d ${PREFIX}/${LIBDIR}/libpelmoxi.so.1.2 OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "SONAME\\)[^\n]*\\[libpelmoxi\\.so\\.1\\]")
  message(FATAL_ERROR "libpelmoxi's soname is not libpelmoxi.so.1:\n${dynamic}")
endif()

# Stripped: no symbol table left in the programs or the library.
foreach(f bin/trvnel01 bin/dorvaxel bin/trvnel-starter ${LIBDIR}/libpelmoxi.so.1.2)
  execute_process(COMMAND readelf -S ${PREFIX}/${f} OUTPUT_VARIABLE sections)
  if(sections MATCHES "\\.symtab" OR sections MATCHES "\\.debug_info")
    message(FATAL_ERROR "${f} is not stripped")
  endif()
endforeach()

# pkg-config finds the library where this tree holds it.
find_program(PKG_CONFIG NAMES pkg-config pkgconf)
if(PKG_CONFIG)
  set(ENV{PKG_CONFIG_PATH} ${PREFIX}/${LIBDIR}/pkgconfig)
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs pelmoxi
                  OUTPUT_VARIABLE flags RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REAL_PATH ${PREFIX} real_prefix)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config does not find pelmoxi")
  endif()
  string(REPLACE "/${LIBDIR}/pkgconfig/../.." "" flags "${flags}")
  foreach(part "-I${real_prefix}/include" "-L${real_prefix}/${LIBDIR}" "-lpelmoxi")
    string(FIND "${flags}" "${part}" at)
    if(at EQUAL -1)
      file(TO_CMAKE_PATH "${flags}" flags)
      message(FATAL_ERROR "pkg-config gives \"${flags}\", without ${part}")
    endif()
  endforeach()
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${PREFIX}/${DATADIR}/applications/trvnel01.desktop
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "trvnel01.desktop: ${out}")
  endif()
endif()

# The installed program finds its help pages and wallpapers in the tree.
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                        ${CHECK} ${PREFIX}/bin/trvnel01
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed trvnel01 does not find its files:\n${out}${error}")
endif()
message(STATUS "installed tree in ${PREFIX} checked:\n${out}")
