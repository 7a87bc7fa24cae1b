# Windows: the installer (NSIS) and the portable zip, both of the same
# programs, stripped, with the README and the copyright.

find_program(LINKPEEL_MAKENSIS makensis REQUIRED)

set(programs linkpeel linkpeel-resolve)

set(package_name linkpeel-${PROJECT_VERSION}-win64)
set(stage ${CMAKE_CURRENT_BINARY_DIR}/${package_name})
set(installer ${PROJECT_BINARY_DIR}/${package_name}-setup.exe)
set(zip ${PROJECT_BINARY_DIR}/${package_name}.zip)
set(icon ${assets}/icons/linkpeel.ico)
set(nsis_script ${CMAKE_CURRENT_SOURCE_DIR}/windows/linkpeel.nsi)

set(stage_commands)
set(program_files)
foreach(program ${programs})
  list(APPEND stage_commands COMMAND ${CMAKE_STRIP} -o ${stage}/${program}.exe $<TARGET_FILE:${program}>)
  list(APPEND program_files $<TARGET_FILE:${program}>)
endforeach()

add_custom_command(OUTPUT ${installer} ${zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  ${stage_commands}
  COMMAND ${CMAKE_COMMAND} -E copy ${icon} ${stage}/linkpeel.ico
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/README.md ${stage}/README.md
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/copyright ${stage}/COPYRIGHT.txt
  COMMAND ${LINKPEEL_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DOUTFILE=${installer} -DSTAGE=${stage}
          -DICON=${icon} ${nsis_script}
  # The zip holds the programs and texts in a folder of their own; the icon
  # is the installer's.
  COMMAND ${CMAKE_COMMAND} -E rm -f ${stage}/linkpeel.ico ${zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${package_name}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  DEPENDS ${programs} ${program_files} ${nsis_script} ${icon} ${PROJECT_SOURCE_DIR}/README.md
          ${CMAKE_CURRENT_SOURCE_DIR}/copyright
  COMMENT "Making ${installer} and ${zip}"
  VERBATIM)
add_custom_target(packages DEPENDS ${installer} ${zip})

if(LINKPEEL_TESTS AND LINKPEEL_PACKAGE_TESTS)
  list(JOIN programs " " program_names)
  add_test(NAME windows_packages_Make COMMAND ${CMAKE_COMMAND} --build ${PROJECT_BINARY_DIR} --target packages)
  set_tests_properties(windows_packages_Make PROPERTIES FIXTURES_SETUP windows_packages TIMEOUT 600)
  add_test(NAME windows_packages_InstallUninstall
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/install_windows.sh ${installer} ${zip}
                   ${PROJECT_VERSION} "${program_names}" ${CMAKE_CURRENT_BINARY_DIR}/install_test)
  set_tests_properties(windows_packages_InstallUninstall PROPERTIES FIXTURES_REQUIRED windows_packages
                       TIMEOUT 600)
endif()
