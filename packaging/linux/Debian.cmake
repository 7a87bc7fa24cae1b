# Linux: the programs' data files, the man pages, and the Debian package.

# The man pages are written in POD (packaging/man) and kept gzipped, as Debian
# keeps them; -n leaves the time out, so the same source makes the same bytes.
find_program(LINKPEEL_POD2MAN pod2man REQUIRED)
find_program(LINKPEEL_GZIP gzip REQUIRED)
set(man_outputs)
foreach(page linkpeel linkpeel-resolve)
  set(source ${CMAKE_CURRENT_SOURCE_DIR}/man/${page}.pod)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.1)
  add_custom_command(OUTPUT ${output}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${LINKPEEL_POD2MAN} --section=1 --center=Linkpeel "--release=Linkpeel ${PROJECT_VERSION}"
            ${source} ${output}
    COMMAND ${LINKPEEL_GZIP} -9nf ${output}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND man_outputs ${output}.gz)
endforeach()
add_custom_target(linkpeel_man_pages ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/shell/linkpeel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${icon_sizes})
  set(icon ${assets}/icons/linkpeel-${size}.png)
  if(size EQUAL 128)
    set(icon ${assets}/linkpeel.png)
  endif()
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME linkpeel.png)
endforeach()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/linux/com.example.linkpeel.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/linkpeel)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/linux/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME linkpeel)

# The Debian package. Its Depends are what dpkg-shlibdeps finds in the
# programs, plus two it cannot see: libcurl, which the web library opens at
# run time (dlopen), and a font with the CJK characters the window shows.
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE deb_architecture
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME linkpeel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Selvo)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn netdisk share addresses into direct download addresses")
set(CPACK_PACKAGE_DESCRIPTION
    "Linkpeel turns the address of a file shared on Baidu's netdisk share service
into the file's direct download address, with the file's name, size, share
time and sharer.

The package holds the window program, linkpeel, and its command-line twin,
linkpeel-resolve, which can also print JSON, write an input file for aria2c,
or download the files itself.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${deb_architecture})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Linkpeel maintainers <maintainers@example.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE http://www.example.com/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

set(deb_file ${PROJECT_BINARY_DIR}/linkpeel_${PROJECT_VERSION}_${deb_architecture}.deb)
add_custom_target(packages
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${PROJECT_BINARY_DIR}/CPackConfig.cmake
  COMMAND ${CMAKE_COMMAND} -E echo "made ${deb_file}"
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  VERBATIM USES_TERMINAL)
add_dependencies(packages linkpeel linkpeel-resolve linkpeel_man_pages)

# The package of a sanitizer build would need the sanitizers' runtimes, so
# only plain builds make and check it.
if(LINKPEEL_TESTS AND LINKPEEL_PACKAGE_TESTS AND NOT LINKPEEL_SANITIZE)
  add_test(NAME deb_Make COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target packages)
  set_tests_properties(deb_Make PROPERTIES FIXTURES_SETUP deb TIMEOUT 600)
  add_test(NAME deb_Checks
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/linux/check_deb.sh ${deb_file} ${PROJECT_VERSION}
                   ${CMAKE_CURRENT_BINARY_DIR}/deb_checks)
  set_tests_properties(deb_Checks PROPERTIES FIXTURES_REQUIRED deb TIMEOUT 600)
  add_test(NAME deb_InstallRemove
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/linux/install_deb.sh ${deb_file} ${PROJECT_VERSION}
                   ${CMAKE_CURRENT_BINARY_DIR}/deb_install)
  set_tests_properties(deb_InstallRemove PROPERTIES FIXTURES_REQUIRED deb TIMEOUT 300 RUN_SERIAL ON
                       SKIP_RETURN_CODE 77)
endif()
